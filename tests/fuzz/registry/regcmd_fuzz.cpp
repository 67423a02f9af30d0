// The quorvia-reg command line: arguments are the input split at NUL bytes.
// Parsing never fails hard, and whatever it accepts is consistent.
#include "cmdline.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace qv::regtool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    auto result = ParseCommandLine(args);
    if (!result.command) {
        if (result.error.empty())
            std::abort();
        return 0;
    }
    const Command& cmd = *result.command;
    if (cmd.op != Operation::Help && cmd.op != Operation::Import &&
        cmd.key.root != HKEY_CURRENT_USER && cmd.key.root != HKEY_LOCAL_MACHINE)
        std::abort();
    if (cmd.valueName && cmd.allValues)
        std::abort();
    if (cmd.op == Operation::Add && cmd.data) {
        std::vector<BYTE> bytes;
        std::string error;
        if (EncodeData(cmd.type, *cmd.data, cmd.separator, bytes, error)) {
            if (cmd.type == REG_DWORD && bytes.size() != 4)
                std::abort();
            (void)FormatData(cmd.type, bytes);
        } else if (error.empty()) {
            std::abort();
        }
    }
    (void)Usage(cmd.op);
    return 0;
}
