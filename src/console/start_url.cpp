#include "console/start_url.h"

#include "platform/text.h"

std::string FormatStartUrl(std::string_view format, std::string_view address) {
    return qv::text::FormatText(format, address);
}
