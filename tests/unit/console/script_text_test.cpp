// Reading the poll script: focus requests, display rows, self-navigation,
// the host a page comes from and the start URL's scheme.
#include "console/console_host.h"
#include "console/script_text.h"
#include "console/start_url.h"

#include <gtest/gtest.h>

namespace {

const std::string kRow1 = std::string(kRow1Target);
const std::string kRow2 = std::string(kRow2Target);

TEST(ScriptTextTest, FocusRequestsAreRemovedEverywhere) {
    std::string text = "top.focus()a=1;top.focus();top.focus()top.focus()";
    EXPECT_EQ(RemoveFocusRequests(text), 4u);
    EXPECT_EQ(text, "a=1;;");
    std::string none = "top.focus( ); Top.focus()";
    EXPECT_EQ(RemoveFocusRequests(none), 0u);
    EXPECT_EQ(none, "top.focus( ); Top.focus()");
}

TEST(ScriptTextTest, RowRunsFromTheFirstQuoteAfterItsTargetToTheNextQuote) {
    EXPECT_EQ(ExtractRow(kRow1 + "='0301234567';", kRow1Target), "0301234567");
    // Either kind of quote opens and either closes; no escapes.
    EXPECT_EQ(ExtractRow(kRow1 + "=\"it's\"", kRow1Target), "it");
    EXPECT_EQ(ExtractRow(kRow1 + "=\"ab\"; x='c'", kRow1Target), "ab");
    EXPECT_EQ(ExtractRow(kRow1 + " = 'a\\'b'", kRow1Target), "a\\");
    // The first quote after the target, even one of a later statement.
    EXPECT_EQ(ExtractRow(kRow1 + "=x; y='later'", kRow1Target), "later");
    // Only the first occurrence of the target counts.
    EXPECT_EQ(ExtractRow(kRow1 + "='one';" + kRow1 + "='two'", kRow1Target), "one");
    EXPECT_EQ(ExtractRow(kRow1 + "=''", kRow1Target), "");
    // No quote at all: empty; an unclosed one runs to the end.
    EXPECT_EQ(ExtractRow(kRow1 + "=row;", kRow1Target), "");
    EXPECT_EQ(ExtractRow(kRow1 + "='unclosed row", kRow1Target), "unclosed row");
    EXPECT_EQ(ExtractRow("x='a';", kRow1Target), std::nullopt);
    EXPECT_EQ(ExtractRow(kRow2 + "='b'", kRow1Target), std::nullopt);
}

TEST(ScriptTextTest, LongRowsAreCutAtACharacterBoundary) {
    const std::string longRow(10000, '7');
    EXPECT_EQ(ExtractRow(kRow1 + "='" + longRow + "'", kRow1Target),
              longRow.substr(0, kMaxRowBytes));
    // "ü" is two bytes; the cap falls inside one of them.
    std::string umlauts = "x";
    for (int i = 0; i < 1000; ++i)
        umlauts += "\xC3\xBC";
    const auto row = ExtractRow(kRow1 + "='" + umlauts, kRow1Target);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->size(), kMaxRowBytes - 1);
    EXPECT_EQ(*row, umlauts.substr(0, kMaxRowBytes - 1));
    // A several-megabyte script with an unclosed quote hands over only the cap.
    const std::string big = kRow1 + "='" + std::string(4 << 20, 'z');
    EXPECT_EQ(ExtractRow(big, kRow1Target)->size(), kMaxRowBytes);
}

TEST(ScriptTextTest, ManyFocusRequestsInAHugeScriptAreRemovedInOnePass) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "top.focus();var a=1;";
    EXPECT_EQ(RemoveFocusRequests(text), 200000u);
    EXPECT_EQ(text.size(), 200000u * 9);
    EXPECT_EQ(text.find("focus"), std::string::npos);
}

TEST(ScriptTextTest, HrefAssignmentNeedsAStatementStartEqualsAndAQuote) {
    auto found = FindHrefAssignment("top.location.href='/a?b'");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->position, 0u);
    EXPECT_EQ(found->target, "/a?b");

    for (const char* before : {" ", ";", "\t", "\r", "\n"}) {
        const std::string text = std::string("x=1") + before + "top.location.href  =  \"/p?q\";";
        found = FindHrefAssignment(text);
        ASSERT_TRUE(found) << int(before[0]);
        EXPECT_EQ(found->position, 4u);
        EXPECT_EQ(found->target, "/p?q");
    }
    // Part of a longer identifier, a comparison, a variable, no quote.
    EXPECT_FALSE(FindHrefAssignment("mytop.location.href='/a?b'"));
    EXPECT_FALSE(FindHrefAssignment(".top.location.href='/a?b'"));
    EXPECT_FALSE(FindHrefAssignment("top.location.href=='/a?b'"));
    EXPECT_FALSE(FindHrefAssignment("top.location.href=url"));
    EXPECT_FALSE(FindHrefAssignment("top.location.href\t='/a?b'")); // only spaces are skipped
    EXPECT_FALSE(FindHrefAssignment("top.location.href ="));
    EXPECT_FALSE(FindHrefAssignment("top.location.href"));
    // Only the first occurrence is looked at.
    EXPECT_FALSE(FindHrefAssignment("a(top.location.href); top.location.href='/a?b'"));
    // Unclosed: to the end.
    EXPECT_EQ(FindHrefAssignment("top.location.href='/a?b")->target, "/a?b");
}

TEST(ScriptTextTest, RelativeTargetsGetProtocolAndHost) {
    EXPECT_EQ(AbsoluteUrl("/app-main.asp?app=3", "http:", "pabx:8080"),
              "http://pabx:8080/app-main.asp?app=3");
    EXPECT_EQ(AbsoluteUrl("https://other/x?y", "http:", "pabx"), "https://other/x?y");
    EXPECT_EQ(AbsoluteUrl("?x", "", ""), "//?x");
}

TEST(ConsoleHostTest, HostNamesCompareWithoutPortUserOrCase) {
    EXPECT_EQ(UrlHostName("http://PABX.local/app-main.asp?app=3"), "pabx.local");
    EXPECT_EQ(UrlHostName("https://user:pw@pabx:8443/x"), "pabx");
    EXPECT_EQ(UrlHostName("http://10.1.2.3?x"), "10.1.2.3");
    EXPECT_EQ(UrlHostName("http://[fe80::1]:8080/"), "[fe80::1]");
    EXPECT_EQ(UrlHostName("http:///app-main.asp"), "");
    EXPECT_EQ(UrlHostName("pabx/app-main.asp"), "");
    EXPECT_EQ(HostName("Pabx:443"), "pabx");
    EXPECT_EQ(HostName("[::1]:80"), "[::1]");
    EXPECT_EQ(HostName("[::1"), "");
}

TEST(StartUrlTest, AnAddressWithoutSchemeIsHttp) {
    EXPECT_EQ(WithDefaultScheme("pabx/app-main.asp?app=3"), "http://pabx/app-main.asp?app=3");
    EXPECT_EQ(WithDefaultScheme("10.0.0.5:8080/x"), "http://10.0.0.5:8080/x");
    EXPECT_EQ(WithDefaultScheme("pabx:8080"), "http://pabx:8080");
    EXPECT_EQ(WithDefaultScheme("[::1]:80/x"), "http://[::1]:80/x");
    for (const char* kept : {"https://pabx/x", "HTTP://pabx/x", "res://C:/q/readme-en.htm",
                             "about:blank", "pabx:/x", ""})
        EXPECT_EQ(WithDefaultScheme(kept), kept);
}

} // namespace
