// The command line, split at NUL bytes: never a crash, and whatever is
// accepted keeps the console's promises (loopback unless allowed, users given).
#include "../fuzz.h"
#include "options.h"

using namespace qv::testconsole;
using qv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ParsedOptions parsed = ParseOptions(qv::fuzz::Arguments(data, size));
    if (!parsed.options) {
        Require(!parsed.error.empty());
        return 0;
    }
    const ConsoleOptions& o = *parsed.options;
    if (o.help)
        return 0;
    Require(!o.users.empty() && (o.allowRemote || IsLoopbackAddress(o.host)) && o.port >= 0 &&
            o.port <= 65535 && o.latencyMs >= 0 && o.failRate >= 0.0 && o.failRate <= 1.0 &&
            (o.callsEverySeconds == 0.0 || o.callsEverySeconds >= 1.0));
    for (const auto& u : o.users)
        Require(!u.name.empty() && u.name.find(':') == std::string::npos);
    return 0;
}
