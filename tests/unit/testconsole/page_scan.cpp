#include "page_scan.h"

#include "platform/text.h"

#include <cstdlib>
#include <regex>

namespace qv::testconsole::test {

std::vector<std::string> Attrs(const std::string& html, std::string_view tag,
                               std::string_view key) {
    const std::regex tagRe("<" + std::string(tag) + "\\b([^>]*)>", std::regex::icase);
    const std::regex attrRe(R"re(([a-zA-Z-]+)(?:="([^"]*)")?)re");
    std::vector<std::string> out;
    for (std::sregex_iterator it(html.begin(), html.end(), tagRe), end; it != end; ++it) {
        const std::string inner = (*it)[1];
        out.emplace_back();
        for (std::sregex_iterator a(inner.begin(), inner.end(), attrRe); a != end; ++a)
            if ((*a)[1].str() == key && out.back().empty())
                out.back() = (*a)[2];
    }
    return out;
}

std::vector<std::string> Scripts(const std::string& html) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while ((pos = html.find("<script>", pos)) != std::string::npos) {
        pos += 8;
        const auto end = html.find("</script>", pos);
        if (end == std::string::npos)
            break;
        out.push_back(html.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

std::string DecodeJsLiteral(std::string_view body) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 >= body.size()) {
            out += body[i];
            continue;
        }
        const char kind = body[++i];
        const int digits = kind == 'x' ? 2 : kind == 'u' ? 4 : 0;
        if (digits == 0) {
            out += kind == 'n' ? '\n' : kind;
            continue;
        }
        const std::string hex(body.substr(i + 1, digits));
        const auto unit = static_cast<char16_t>(std::strtoul(hex.c_str(), nullptr, 16));
        out += qv::text::Utf16ToUtf8(std::u16string(1, unit));
        i += digits;
    }
    return out;
}

long JsonNumber(const std::string& json, std::string_view key) {
    const std::string needle = "\"" + std::string(key) + "\":";
    const auto pos = json.find(needle);
    if (pos == std::string::npos)
        return -1;
    return std::strtol(json.c_str() + pos + needle.size(), nullptr, 10);
}

} // namespace qv::testconsole::test
