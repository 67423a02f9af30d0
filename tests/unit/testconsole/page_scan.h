// Reads console pages the way a browser does, so the tests check the
// contract rather than the exact markup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::testconsole::test {

// One attribute of each start tag of an element, in document order ("" where
// a tag lacks it).
std::vector<std::string> Attrs(const std::string& html, std::string_view tag, std::string_view key);
// Bodies of every <script> element in document order.
std::vector<std::string> Scripts(const std::string& html);
// What a JavaScript engine makes of a double-quoted literal's body.
std::string DecodeJsLiteral(std::string_view body);
// A top-level number field of a flat JSON object; -1 when absent.
long JsonNumber(const std::string& json, std::string_view key);

} // namespace qv::testconsole::test
