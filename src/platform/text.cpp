#include "platform/text.h"

#include <cstdint>
#include <cstring>

namespace qv::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 character at in[i]; returns its length (0 when invalid).
std::size_t DecodeUtf8(std::string_view in, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > in.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(in[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        char32_t cp;
        std::size_t len = DecodeUtf8(in, i, cp);
        if (len == 0) {
            cp = kReplacement;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::u16string Utf16FromLittleEndian(const void* data, std::size_t units) {
    std::u16string out(units, u'\0');
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

std::string_view CutUtf8(std::string_view in, std::size_t maxBytes) {
    if (in.size() <= maxBytes)
        return in;
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(in[end]) & 0xC0) == 0x80)
        --end;
    return in.substr(0, end);
}

std::string SanitizeUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        char32_t cp;
        std::size_t len = DecodeUtf8(in, i, cp);
        if (len == 0) {
            AppendUtf8(out, kReplacement);
            ++i;
        } else {
            out.append(in.substr(i, len));
            i += len;
        }
    }
    return out;
}

namespace {

// in with the letters from..from+25 moved to the case that starts at to.
std::string ShiftAsciiCase(std::string_view in, char from, char to) {
    std::string out(in);
    for (char& c : out)
        if (c >= from && c <= from + 25)
            c = static_cast<char>(c - from + to);
    return out;
}

} // namespace

std::string AsciiLower(std::string_view in) {
    return ShiftAsciiCase(in, 'A', 'a');
}

std::string AsciiUpper(std::string_view in) {
    return ShiftAsciiCase(in, 'a', 'A');
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A plain loop: find() would call memchr for every character of a line.
bool IsBlank(char c, std::string_view blanks) {
    for (char blank : blanks)
        if (c == blank)
            return true;
    return false;
}

std::string_view Trim(std::string_view in, std::string_view blanks) {
    while (!in.empty() && IsBlank(in.front(), blanks))
        in.remove_prefix(1);
    return TrimRight(in, blanks);
}

std::string_view TrimRight(std::string_view in, std::string_view blanks) {
    while (!in.empty() && IsBlank(in.back(), blanks))
        in.remove_suffix(1);
    return in;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string FormatText(std::string_view pattern, std::string_view argument) {
    return FormatText(pattern, {argument});
}

std::string FormatText(std::string_view pattern,
                       std::initializer_list<std::string_view> arguments) {
    std::string out;
    out.reserve(pattern.size());
    auto next = arguments.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 's') {
                if (next != arguments.end())
                    out += *(next + 1 == arguments.end() ? next : next++);
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace qv::text
