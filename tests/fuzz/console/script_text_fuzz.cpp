// Page script text: focus removal, row extraction and the self-navigation
// search must hold their promises on any text a page can carry.
#include "console/script_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string text(input);
    const std::size_t removed = RemoveFocusRequests(text);
    Check(text.size() == input.size() - removed * kFocusRequest.size());
    Check(text.find(kFocusRequest) == std::string::npos || removed > 0);

    for (std::string_view target : {kRow1Target, kRow2Target}) {
        const auto row = ExtractRow(input, target);
        Check(row.has_value() == (input.find(target) != std::string_view::npos));
        if (row) {
            Check(row->size() <= kMaxRowBytes);
            Check(row->find_first_of("'\"") == std::string::npos);
        }
    }

    if (const auto href = FindHrefAssignment(input)) {
        Check(input.substr(href->position, kTopHrefTarget.size()) == kTopHrefTarget);
        Check(href->target.find_first_of("'\"") == std::string_view::npos);
        const std::string absolute = AbsoluteUrl(href->target, "http:", "pabx");
        Check(absolute.find("//") != std::string::npos);
    }
    return 0;
}
