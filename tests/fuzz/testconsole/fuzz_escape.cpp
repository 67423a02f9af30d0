// Any bytes from outside must come out of the escapers as valid UTF-8 that
// cannot leave its HTML attribute, JavaScript literal or JSON string.
#include "../fuzz.h"
#include "escape.h"

using namespace qv::testconsole;
using qv::fuzz::Require;

namespace {
bool HasRawControl(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = qv::fuzz::Text(data, size);

    const std::string js = JsStringLiteral(in);
    Require(js.size() >= 2 && js.front() == '"' && js.back() == '"');
    const std::string body = js.substr(1, js.size() - 2);
    Require(body.find_first_of("\"'<>&") == std::string::npos);
    Require(!HasRawControl(body));
    Require(body.find("\xE2\x80\xA8") == std::string::npos);
    Require(IsValidUtf8(js));
    // Every backslash starts a complete escape, so the literal cannot end early.
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\')
            continue;
        Require(i + 1 < body.size());
        const char kind = body[i + 1];
        Require(kind == '\\' || kind == 'x' || kind == 'u');
        i += kind == '\\' ? 1 : kind == 'x' ? 3 : 5;
        Require(i < body.size());
    }

    const std::string html = HtmlEscape(in);
    Require(html.find_first_of("<>\"'") == std::string::npos);
    Require(IsValidUtf8(html));

    const std::string json = JsonString(in);
    Require(IsValidUtf8(json) && !HasRawControl(json));
    if (IsValidUtf8(in))
        Require(in.size() <= html.size() && in.size() <= js.size());
    return 0;
}
