// Page script text: focus removal, row extraction and the self-navigation
// search must hold their promises on any text a page can carry.
#include "../fuzz.h"
#include "console/script_text.h"

using qv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string text(input);
    const std::size_t removed = RemoveFocusRequests(text);
    Require(text.size() == input.size() - removed * kFocusRequest.size());
    Require(text.find(kFocusRequest) == std::string::npos || removed > 0);

    for (std::string_view target : {kRow1Target, kRow2Target}) {
        const auto row = ExtractRow(input, target);
        Require(row.has_value() == (input.find(target) != std::string_view::npos));
        if (row) {
            Require(row->size() <= kMaxRowBytes);
            Require(row->find_first_of("'\"") == std::string::npos);
        }
    }

    if (const auto href = FindHrefAssignment(input)) {
        Require(input.substr(href->position, kTopHrefTarget.size()) == kTopHrefTarget);
        Require(href->target.find_first_of("'\"") == std::string_view::npos);
        const std::string absolute = AbsoluteUrl(href->target, "http:", "pabx");
        Require(absolute.find("//") != std::string::npos);
    }
    return 0;
}
