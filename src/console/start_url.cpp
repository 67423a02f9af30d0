#include "console/start_url.h"

std::string FormatStartUrl(std::string_view format, std::string_view address) {
    std::string url;
    url.reserve(format.size() + address.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                url += address;
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                url += '%';
                ++i;
                continue;
            }
        }
        url += c;
    }
    return url;
}
