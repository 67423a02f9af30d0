// The command line, split at NUL bytes: never a crash, and whatever is
// accepted keeps the console's promises (loopback unless allowed, users given).
#include "options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace qv::testconsole;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    const ParsedOptions parsed = ParseOptions(args);
    if (!parsed.options) {
        if (parsed.error.empty())
            __builtin_trap();
        return 0;
    }
    const ConsoleOptions& o = *parsed.options;
    if (o.help)
        return 0;
    const bool ok = !o.users.empty() && (o.allowRemote || IsLoopbackAddress(o.host)) &&
                    o.port >= 0 && o.port <= 65535 && o.latencyMs >= 0 && o.failRate >= 0.0 &&
                    o.failRate <= 1.0 && (o.callsEverySeconds == 0.0 || o.callsEverySeconds >= 1.0);
    if (!ok)
        __builtin_trap();
    for (const auto& u : o.users)
        if (u.name.empty() || u.name.find(':') != std::string::npos)
            __builtin_trap();
    return 0;
}
