#include "escape.h"
#include "page_scan.h"

#include <gtest/gtest.h>

namespace qv::testconsole {
namespace {

using test::DecodeJsLiteral;

const std::vector<std::string> kHostile = {
    "\"</script><script>alert(1)</script>",
    "O'Brien",
    "back\\slash\\",
    "line\nbreak\r\ttab\x01\x7F",
    "sep\xE2\x80\xA8para\xE2\x80\xA9",
    "M\xC3\xBCller \xE2\x98\x8E \xF0\x9F\x93\x9E",
    "<!-- & -->",
    "",
};

// What the literal may hold (no quote, markup, line end or U+2028) is the
// escaper fuzz target's promise, replayed over hostile seeds in every build.
TEST(JsStringLiteral, DecodesBackToTheText) {
    for (const auto& text : kHostile) {
        const std::string literal = JsStringLiteral(text);
        ASSERT_GE(literal.size(), 2u);
        EXPECT_EQ(DecodeJsLiteral(literal.substr(1, literal.size() - 2)), text) << literal;
    }
}

TEST(JsStringLiteral, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(JsStringLiteral("a\xFF"
                              "b\xC0\xAF"),
              "\"a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(HtmlEscape, EscapesMarkupAndQuotesOnly) {
    EXPECT_EQ(HtmlEscape("<a href=\"x\" title='y'>&</a>"),
              "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;&lt;/a&gt;");
    EXPECT_EQ(HtmlEscape("M\xC3\xBCller"), "M\xC3\xBCller");
    EXPECT_EQ(HtmlEscape("x\xFEy"), "x\xEF\xBF\xBDy");
}

TEST(JsonString, EscapesQuotesBackslashAndControls) {
    EXPECT_EQ(JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
    EXPECT_EQ(JsonString("\xE2\x98\x8E"), "\"\xE2\x98\x8E\"");
    EXPECT_EQ(JsonString("\xFF"), "\"\xEF\xBF\xBD\"");
}

TEST(IsValidUtf8, RejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x98"));         // truncated
    EXPECT_FALSE(IsValidUtf8("\x80"));
}

} // namespace
} // namespace qv::testconsole
