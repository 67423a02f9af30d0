// Desktop entries and command lines from the autostart folder: parsing is
// bounded, and a command line survives the trip to Exec and back.
#include "../fuzz.h"
#include "platform/registry/autostart.h"

namespace autostart = qv::platform::registry::autostart;
using qv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    const std::string input = qv::fuzz::Text(data, size);
    if (auto entry = autostart::ParseDesktopEntry(input))
        (void)autostart::ExecToCommandLine(entry->exec);

    // Windows arguments -> Exec -> arguments is exact.
    auto args = autostart::SplitCommandLine(input);
    Require(autostart::SplitExec(autostart::JoinExec(args)) == args);
    // The canonical command line is a fixed point.
    const std::string canonical = autostart::JoinCommandLine(args);
    Require(autostart::ExecToCommandLine(autostart::CommandLineToExec(canonical)) == canonical);
    // What we write as a desktop file reads back as the same name and command.
    auto written = autostart::ParseDesktopEntry(autostart::FormatDesktopEntry(input, canonical));
    Require(written && written->valueName == input &&
            autostart::ExecToCommandLine(written->exec) == canonical);
    const std::string stem = autostart::SanitizeStem(input);
    Require(!stem.empty() && stem[0] != '.' && stem.find('/') == std::string::npos);
    return 0;
}
