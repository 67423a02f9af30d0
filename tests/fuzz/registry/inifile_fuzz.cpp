// The profile-file parser: rewriting keeps every line, and a value set is the
// value read back.
#include "../fuzz.h"
#include "platform/registry/inifile.h"

using namespace qv::platform::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    const std::string input = qv::fuzz::Text(data, size);
    IniDocument doc = ParseIni(input);
    const std::string written = SerializeIni(doc);
    qv::fuzz::Require(ParseIni(written).lines.size() == doc.lines.size());
    // The input's first line split at '|' is a section, key and value to set.
    std::string line = input.substr(0, input.find('\n'));
    auto bar1 = line.find('|');
    auto bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
    if (bar2 != std::string::npos) {
        std::string section = line.substr(0, bar1), key = line.substr(bar1 + 1, bar2 - bar1 - 1);
        std::string value = line.substr(bar2 + 1);
        IniDocument changed = ParseIni(input);
        if (IniSet(changed, section, key, value)) {
            auto back = IniGet(ParseIni(SerializeIni(changed)), section, key);
            qv::fuzz::Require(back && *back == value);
        }
    }
    return 0;
}
