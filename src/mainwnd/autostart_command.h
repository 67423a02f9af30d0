// The command line the autostart entry starts the program with: its own
// path, quoted when it holds white space, and the arguments it was started
// with this time (a start URL, "/wab", "/navclick").
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string AutostartCommandLine(std::string_view executable, std::string_view arguments);
