// The version block walk over arbitrary bytes: every read must stay inside
// the data, and the walk must end.
#include "../fuzz.h"
#include "localized/version_info.h"

#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const BYTE> block(data, size);
    for (const char* key : {"ProductName", "CompanyName", "LegalTrademarks", "K", ""})
        (void)qv::resources::VersionInfoString(block, key);
    (void)qv::resources::VersionInfoString(block, nullptr);
    for (WORD type : {WORD(0), WORD(1)})
        (void)qv::resources::FindVersionNode(block, type, u"StringFileInfo");
    return 0;
}
