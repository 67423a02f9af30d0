// The Run key as the XDG autostart folder: value NAME with a Windows-style
// command line <-> ${XDG_CONFIG_HOME:-~/.config}/autostart/NAME.desktop.
#pragma once

#include "platform/types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform::registry::autostart {

// Run key path below HKEY_CURRENT_USER, as Windows spells it.
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Folder();

struct Entry {
    std::string name;        // the value name
    std::string commandLine; // Windows-style
    std::string file;        // full path of the .desktop file
};

// Enabled entries (not Hidden, not switched off), in file-name order.
std::vector<Entry> List();
LONG Write(std::string_view name, std::string_view commandLine);
LONG Remove(std::string_view name);

// Windows command line (quoted program, then arguments, CommandLineToArgv rules).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);
std::string JoinCommandLine(const std::vector<std::string>& args);

// Exec as written in the file: desktop-entry quoting, "%%" for '%', then the
// string escapes (\\, \n, \t, \r, \s). Splitting drops field codes (%U ...).
std::string JoinExec(const std::vector<std::string>& args);
std::vector<std::string> SplitExec(std::string_view exec);

std::string CommandLineToExec(std::string_view commandLine);
std::string ExecToCommandLine(std::string_view exec);

// A file name stem that is safe: no '/', no control characters, no leading '.'.
std::string SanitizeStem(std::string_view name);

// The keys of the [Desktop Entry] group, values unescaped; nullopt when the
// text has no such group or is larger than the bound.
struct DesktopEntry {
    std::string type, name, exec, valueName;
    bool hasValueName = false;
    bool enabled = true;
};
std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text);
std::string FormatDesktopEntry(std::string_view name, std::string_view commandLine);

} // namespace qv::platform::registry::autostart
