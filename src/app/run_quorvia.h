// The whole program behind main(): the desktop backend hands in its window
// system and shell, this runs the application and returns the exit code.
#pragma once

#include "platform/shell/shell.h"
#include "platform/ui/window_system.h"

#include <optional>
#include <string>

// Installs the platform objects and the embedded resources, runs one
// application object (a second run while one is going is refused with -1)
// and puts the previous platform objects back.
int RunQuorvia(int argc, char** argv, qv::platform::IWindowSystem& windows,
               qv::platform::IShell* shell);

// "--help" (also "-h", "/?") and "--version" anywhere among the arguments:
// the text to print before ending, from the program's own resources. Nothing
// when the program is to run; then every argument is its command line.
std::optional<std::string> ProgramInformation(int argc, char** argv);

// The program's name from its version block ("ProductName"), for what the
// desktop shows of it before it runs (its notifications).
std::string ProductName();
