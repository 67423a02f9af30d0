// quorvia-console: the PABX web console that the tests and the demo run against.
#include "options.h"
#include "server.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace qv::testconsole;

    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "quorvia-console: %s\n(try --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }

    // Block the stop signals before any thread starts, so only sigwait below
    // sees them and the server stops from an ordinary thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ConsoleServer server(*parsed.options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "quorvia-console: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening on %s\n", server.BaseUrl().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    if (!parsed.options->quiet)
        std::fprintf(stderr, "quorvia-console: stopping (%s)\n",
                     received == SIGINT ? "SIGINT" : "SIGTERM");
    server.Stop();
    return 0;
}
