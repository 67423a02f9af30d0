#include "platform/text.h"

#include <gtest/gtest.h>

using namespace qv::text;

TEST(Text, Utf16RoundTripKeepsEveryPlane) {
    const std::string original = "Beëindigen – 電話 📞";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(original)), original);
    EXPECT_EQ(Utf8ToUtf16("📞").size(), 2u); // a surrogate pair
}

TEST(Text, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(SanitizeUtf8("\xC3"), "\xEF\xBF\xBD");                 // truncated sequence
    EXPECT_EQ(SanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // overlong
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // surrogate
    EXPECT_EQ(SanitizeUtf8("\xF4\x90\x80\x80").substr(0, 3), "\xEF\xBF\xBD"); // past U+10FFFF
    EXPECT_EQ(SanitizeUtf8("Men\xFC"), "Men\xEF\xBF\xBD");                    // Latin-1
    EXPECT_EQ(SanitizeUtf8("ok é \xF0\x9F\x93\x9E"), "ok é \xF0\x9F\x93\x9E");
}

TEST(Text, CutNeverSplitsACharacter) {
    const std::string s = "aé€"; // 1 + 2 + 3 bytes
    EXPECT_EQ(CutUtf8(s, 6), s);
    EXPECT_EQ(CutUtf8(s, 5), "aé");
    EXPECT_EQ(CutUtf8(s, 4), "aé");
    EXPECT_EQ(CutUtf8(s, 2), "a");
    EXPECT_EQ(CutUtf8(s, 0), "");
}

TEST(Text, LittleEndianUnitsAreReadFromUnalignedBytes) {
    const unsigned char bytes[] = {0xFF, 'H', 0, 0xEB, 0};
    EXPECT_EQ(Utf16FromLittleEndian(bytes + 1, 2), u"H\u00EB");
}

TEST(Text, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase("Software\\Belmar", "SOFTWARE\\belmar"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("é", "É"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("ab", "abc"));
    EXPECT_EQ(AsciiLower("/WAB Ä"), "/wab Ä");
    EXPECT_EQ(AsciiUpper("readme-nl.htm ä"), "README-NL.HTM ä");
}

TEST(Text, FormatFillsOnlyPercentSAndPercentPercent) {
    EXPECT_EQ(FormatText("http://%s/app-main.asp?app=3", "pabx"), "http://pabx/app-main.asp?app=3");
    EXPECT_EQ(FormatText("http://h/x?a=%n&b=%x&c=%d%", "pabx"), "http://h/x?a=%n&b=%x&c=%d%");
    EXPECT_EQ(FormatText("%s%s", "ab"), "abab");
    EXPECT_EQ(FormatText("100%%/%%s", "ab"), "100%/%s");
    EXPECT_EQ(FormatText("http://fixed/", "ab"), "http://fixed/");
    EXPECT_EQ(FormatText("%s", "%n%s"), "%n%s"); // the argument is never a format
}
