#include "escape.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <utility>

namespace qv::testconsole {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at the front of in, or 0 when invalid
// (overlong forms, surrogates and values above U+10FFFF are invalid).
std::size_t SequenceLength(std::string_view in, char32_t* cp) {
    const auto b0 = static_cast<unsigned char>(in[0]);
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t value = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        value = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        value = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        value = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (in.size() < len)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(in[i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *cp = value;
    return len;
}

void AppendHex(std::string& out, const char* format, unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, value);
    out += buf;
}

// in with every character escape writes something for replaced, appended to
// out; an invalid sequence becomes U+FFFD.
template <class Escape> std::string Escaped(std::string_view in, std::string out, Escape escape) {
    while (!in.empty()) {
        char32_t cp = 0;
        const std::size_t len = SequenceLength(in, &cp);
        if (len == 0) {
            out += kReplacement;
            in.remove_prefix(1);
            continue;
        }
        if (!escape(out, cp))
            out.append(in.substr(0, len));
        in.remove_prefix(len);
    }
    return out;
}

using Replacements = std::span<const std::pair<char32_t, const char*>>;

bool AppendReplacement(std::string& out, char32_t cp, Replacements replacements) {
    for (const auto& [c, replacement] : replacements) {
        if (cp == c) {
            out += replacement;
            return true;
        }
    }
    return false;
}

// The escapes of one character: each writes the replacement and returns
// true, or returns false to keep the character.
bool HtmlEntity(std::string& out, char32_t cp) {
    static constexpr std::pair<char32_t, const char*> kEntities[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};
    return AppendReplacement(out, cp, kEntities);
}

bool JsEscape(std::string& out, char32_t cp) {
    if (cp == '\\')
        out += "\\\\";
    else if (cp < 0x20 || cp == 0x7F || cp == '"' || cp == '\'' || cp == '<' || cp == '>' ||
             cp == '&')
        AppendHex(out, "\\x%02X", static_cast<unsigned>(cp));
    else if (cp == 0x2028 || cp == 0x2029)
        AppendHex(out, "\\u%04X", static_cast<unsigned>(cp));
    else
        return false;
    return true;
}

bool JsonEscape(std::string& out, char32_t cp) {
    static constexpr std::pair<char32_t, const char*> kShort[] = {
        {'"', "\\\""}, {'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}};
    if (AppendReplacement(out, cp, kShort))
        return true;
    if (cp >= 0x20 && cp != 0x7F)
        return false;
    AppendHex(out, "\\u%04X", static_cast<unsigned>(cp));
    return true;
}

} // namespace

bool IsValidUtf8(std::string_view in) {
    while (!in.empty()) {
        char32_t cp = 0;
        const std::size_t len = SequenceLength(in, &cp);
        if (len == 0)
            return false;
        in.remove_prefix(len);
    }
    return true;
}

std::string HtmlEscape(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    return Escaped(in, std::move(out), HtmlEntity);
}

std::string JsStringLiteral(std::string_view in) {
    return Escaped(in, "\"", JsEscape) + '"';
}

std::string JsonString(std::string_view in) {
    return Escaped(in, "\"", JsonEscape) + '"';
}

} // namespace qv::testconsole
