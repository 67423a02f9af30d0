#include "console/start_url.h"

#include <algorithm>

namespace {

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether url starts with "scheme:"; "host:8080" (a port after the colon)
// is a host, not a scheme.
bool HasScheme(std::string_view url) {
    if (url.empty() || !IsAsciiAlpha(url.front()))
        return false;
    std::size_t i = 1;
    while (i < url.size() && (IsAsciiAlpha(url[i]) || IsAsciiDigit(url[i]) || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.'))
        ++i;
    if (i == url.size() || url[i] != ':')
        return false;
    const std::string_view rest = url.substr(i + 1);
    if (rest.starts_with("//"))
        return true;
    const std::size_t end = rest.find_first_of("/?#");
    const std::string_view port = rest.substr(0, end);
    return port.empty() || !std::all_of(port.begin(), port.end(), IsAsciiDigit);
}

} // namespace

std::string WithDefaultScheme(std::string_view url) {
    if (url.empty() || HasScheme(url))
        return std::string(url);
    return "http://" + std::string(url);
}
