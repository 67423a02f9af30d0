// The command line and the start URL made from it: any bytes, any "%".
#include "app/browser_app.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string tail(reinterpret_cast<const char*>(data), size);
    const CommandLineRequest request = ParseCommandLine(tail);
    // Switches only ever take text out.
    if (request.urlFormat.size() > tail.size())
        std::abort();
    const std::string url = qv::text::FormatText(request.urlFormat, "192.168.0.240");
    // Each "%s" grows by the address at most; nothing else is added.
    if (url.size() > request.urlFormat.size() * (1 + 13))
        std::abort();
    return 0;
}
