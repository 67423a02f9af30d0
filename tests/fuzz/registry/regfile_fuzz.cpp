// The .reg parser: any input parses; writing the result and parsing it again
// gives the same keys, values and kept lines, and writing is then stable;
// the same for a hive file, whose keys are written from their root.
#include "../fuzz.h"
#include "platform/registry/regfile.h"

using namespace qv::platform::registry;

namespace {

bool SameEntries(const std::vector<RegEntry>& a, const std::vector<RegEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].raw != b[i].raw || a[i].value.name != b[i].value.name)
            return false;
        if (a[i].kind == RegEntry::Kind::Value &&
            (a[i].value.type != b[i].value.type || a[i].value.data != b[i].value.data))
            return false;
    }
    return true;
}

bool SameDocument(const RegDocument& a, const RegDocument& b) {
    if (!SameEntries(a.preamble, b.preamble) || a.sections.size() != b.sections.size())
        return false;
    for (std::size_t i = 0; i < a.sections.size(); ++i)
        if (a.sections[i].path != b.sections[i].path ||
            a.sections[i].broken != b.sections[i].broken ||
            !SameEntries(a.sections[i].entries, b.sections[i].entries))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto first = ParseRegText(input);
    const std::string written = SerializeRegText(first.doc);
    auto second = ParseRegText(written);
    qv::fuzz::Require(second.hasHeader && SameDocument(first.doc, second.doc));
    qv::fuzz::Require(SerializeRegText(second.doc) == written);

    const RegDocument hive = ParseHiveText(input, "HKEY_CURRENT_USER");
    const std::string hiveText = SerializeHiveText(hive, "HKEY_CURRENT_USER");
    const RegDocument again = ParseHiveText(hiveText, "HKEY_CURRENT_USER");
    qv::fuzz::Require(SameDocument(hive, again) &&
                      SerializeHiveText(again, "HKEY_CURRENT_USER") == hiveText);
    return 0;
}
