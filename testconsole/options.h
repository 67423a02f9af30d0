// Command line of quorvia-console.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::testconsole {

struct ConsoleUser {
    std::string name;
    std::string password;
};

struct ConsoleOptions {
    std::string host = "127.0.0.1"; // numeric address, IPv6 without brackets
    int port = 0;                   // 0: any free port
    std::vector<ConsoleUser> users;
    int latencyMs = 0;
    double failRate = 0.0;
    bool allowRemote = false;
    double callsEverySeconds = 0.0; // 0: no simulated calls
    int pollMs = 3000;              // the poll frame's reload period
    bool quiet = false;
    bool help = false;
};

struct ParsedOptions {
    std::optional<ConsoleOptions> options; // empty on error
    std::string error;
};

// args excludes the program name.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

bool IsLoopbackAddress(const std::string& host);

const char* UsageText();

} // namespace qv::testconsole
