// Reads console pages the way the desktop program and a browser do, so the
// tests check the contract rather than the exact markup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::testconsole::test {

struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attrs;
    std::string Attr(std::string_view key) const;
};

// Start tags of one element name in document order.
std::vector<Tag> TagsNamed(const std::string& html, std::string_view tag);
// One attribute of each tag ("" where a tag lacks it).
std::vector<std::string> AttrOf(const std::vector<Tag>& tags, std::string_view key);
// Bodies of every <script> element in document order.
std::vector<std::string> Scripts(const std::string& html);
// What a JavaScript engine makes of a double-quoted literal's body.
std::string DecodeJsLiteral(std::string_view body);
// A top-level number field of a flat JSON object; -1 when absent.
long JsonNumber(const std::string& json, std::string_view key);

} // namespace qv::testconsole::test
