// Desktop entries and command lines from the autostart folder: parsing is
// bounded, and a command line survives the trip to Exec and back.
#include "platform/registry/autostart.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace autostart = qv::platform::registry::autostart;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    if (auto entry = autostart::ParseDesktopEntry(input))
        (void)autostart::ExecToCommandLine(entry->exec);

    // Windows arguments -> Exec -> arguments is exact.
    auto args = autostart::SplitCommandLine(input);
    if (autostart::SplitExec(autostart::JoinExec(args)) != args)
        std::abort();
    // The canonical command line is a fixed point.
    const std::string canonical = autostart::JoinCommandLine(args);
    if (autostart::ExecToCommandLine(autostart::CommandLineToExec(canonical)) != canonical)
        std::abort();
    // What we write as a desktop file reads back as the same name and command.
    auto written = autostart::ParseDesktopEntry(autostart::FormatDesktopEntry(input, canonical));
    if (!written || written->valueName != input ||
        autostart::ExecToCommandLine(written->exec) != canonical)
        std::abort();
    const std::string stem = autostart::SanitizeStem(input);
    if (stem.empty() || stem[0] == '.' || stem.find('/') != std::string::npos)
        std::abort();
    return 0;
}
