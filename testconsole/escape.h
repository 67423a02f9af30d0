// Escaping of outside text (row texts, user names) for the places the console
// puts it: HTML, JavaScript string literals inside <script>, JSON.
#pragma once

#include <string>
#include <string_view>

namespace qv::testconsole {

bool IsValidUtf8(std::string_view in);

// Text and attribute values alike: & < > " ' become entities; invalid UTF-8
// becomes U+FFFD.
std::string HtmlEscape(std::string_view in);

// A double-quoted JavaScript literal, safe inside a <script> element.
// Quotes, backslash, < > & and control characters become \xNN escapes, U+2028
// and U+2029 become \u escapes, other UTF-8 stays as it is; invalid UTF-8
// becomes U+FFFD. The body never holds a ' or " so a scanner that reads up to
// the next quote gets the whole literal (with the escapes left uninterpreted).
std::string JsStringLiteral(std::string_view in);

// A double-quoted JSON string; invalid UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view in);

} // namespace qv::testconsole
