// The quorvia-reg command line: arguments are the input split at NUL bytes.
// Parsing never fails hard, and whatever it accepts is consistent.
#include "../fuzz.h"
#include "cmdline.h"

using namespace qv::regtool;
using qv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    auto result = ParseCommandLine(qv::fuzz::Arguments(data, size));
    if (!result.command) {
        Require(!result.error.empty());
        return 0;
    }
    const Command& cmd = *result.command;
    Require(cmd.op == Operation::Help || cmd.op == Operation::Import ||
            cmd.key.root == HKEY_CURRENT_USER || cmd.key.root == HKEY_LOCAL_MACHINE);
    Require(!(cmd.valueName && cmd.allValues));
    if (cmd.op == Operation::Add && cmd.data) {
        std::vector<BYTE> bytes;
        std::string error;
        if (EncodeData(cmd.type, *cmd.data, cmd.separator, bytes, error)) {
            Require(cmd.type != REG_DWORD || bytes.size() == 4);
            (void)FormatData(cmd.type, bytes);
        } else {
            Require(!error.empty());
        }
    }
    (void)Usage(cmd.op);
    return 0;
}
