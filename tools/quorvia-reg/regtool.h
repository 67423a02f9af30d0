// Runs a parsed quorvia-reg command against the registry.
#pragma once

#include "cmdline.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace qv::regtool {

struct Console {
    std::ostream& out;
    std::ostream& err;
    // Asks a yes/no question; nullopt when nobody can answer (no terminal).
    std::function<std::optional<bool>(const std::string& question)> confirm;
};

// 0 on success, 1 on failure, as reg.exe.
int Run(const Command& command, Console& console);

} // namespace qv::regtool
