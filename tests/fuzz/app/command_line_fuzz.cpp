// The command line and the start URL made from it: any bytes, any "%".
#include "../fuzz.h"
#include "app/browser_app.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string tail = qv::fuzz::Text(data, size);
    const CommandLineRequest request = ParseCommandLine(tail);
    // Switches only ever take text out.
    qv::fuzz::Require(request.urlFormat.size() <= tail.size());
    const std::string url = qv::text::FormatText(request.urlFormat, "192.168.0.240");
    // Each "%s" grows by the address at most; nothing else is added.
    qv::fuzz::Require(url.size() <= request.urlFormat.size() * (1 + 13));
    return 0;
}
