// Text as a UTF-16 file or resource holds it: code units as bytes.
#pragma once

#include <string>
#include <string_view>

namespace qv::test {

inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian = false) {
    std::string out;
    for (char16_t unit : text) {
        const char high = char(unit >> 8), low = char(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace qv::test
