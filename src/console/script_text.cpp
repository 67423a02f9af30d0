#include "console/script_text.h"

#include "platform/text.h"

namespace {

constexpr std::string_view kQuotes = "'\"";

} // namespace

std::size_t RemoveFocusRequests(std::string& text) {
    std::size_t found = text.find(kFocusRequest);
    if (found == std::string::npos)
        return 0;
    // One pass: erasing in place would move the tail once per request.
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    std::size_t count = 0;
    for (; found != std::string::npos; found = text.find(kFocusRequest, from)) {
        out.append(text, from, found - from);
        from = found + kFocusRequest.size();
        ++count;
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
    return count;
}

std::optional<std::string> ExtractRow(std::string_view text, std::string_view target) {
    const std::size_t at = text.find(target);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::size_t quote = text.find_first_of(kQuotes, at + target.size());
    if (quote == std::string_view::npos)
        return std::string();
    // Look no further than the cap (and a character's worth beyond it, so
    // the cut below can end on a boundary).
    const std::string_view rest = text.substr(quote + 1, kMaxRowBytes + 4);
    const std::string_view row = rest.substr(0, rest.find_first_of(kQuotes));
    return std::string(qv::text::CutUtf8(row, kMaxRowBytes));
}

std::optional<HrefAssignment> FindHrefAssignment(std::string_view text) {
    const std::size_t p = text.find(kTopHrefTarget);
    if (p == std::string_view::npos)
        return std::nullopt;
    if (p != 0) {
        const char before = text[p - 1];
        if (before != ' ' && before != ';' && before != '\t' && before != '\r' && before != '\n')
            return std::nullopt;
    }
    std::size_t i = p + kTopHrefTarget.size();
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    skipBlanks();
    if (i >= text.size() || text[i] != '=')
        return std::nullopt;
    ++i;
    skipBlanks();
    if (i >= text.size() || kQuotes.find(text[i]) == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = text.substr(i + 1);
    return HrefAssignment{p, rest.substr(0, rest.find_first_of(kQuotes))};
}

std::string AbsoluteUrl(std::string_view target, std::string_view protocol, std::string_view host) {
    if (target.find("//") != std::string_view::npos)
        return std::string(target);
    std::string url;
    url.reserve(protocol.size() + 2 + host.size() + target.size());
    url.append(protocol).append("//").append(host).append(target);
    return url;
}
