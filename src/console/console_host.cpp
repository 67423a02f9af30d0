#include "console/console_host.h"

#include "platform/text.h"

std::string HostName(std::string_view hostAndPort) {
    std::string_view host = hostAndPort;
    if (!host.empty() && host.front() == '[') {
        // An IPv6 literal keeps its brackets; its colons are not a port.
        const std::size_t close = host.find(']');
        host = close == std::string_view::npos ? std::string_view() : host.substr(0, close + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    return qv::text::AsciiLower(host);
}

std::string UrlHostName(std::string_view url) {
    const std::size_t slashes = url.find("//");
    if (slashes == std::string_view::npos)
        return {};
    std::string_view authority = url.substr(slashes + 2);
    authority = authority.substr(0, authority.find_first_of("/?#\\"));
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority = authority.substr(at + 1);
    return HostName(authority);
}
