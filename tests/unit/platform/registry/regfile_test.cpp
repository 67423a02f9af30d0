#include "platform/registry/regfile.h"
#include "support/support.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace qv::platform::registry;

namespace {

std::vector<BYTE> Text(std::string_view s) {
    return qv::test::TerminatedBytes(s);
}

// The values of one section, in order.
std::vector<RegValue> ValuesOf(const RegDocument& doc, std::size_t section) {
    std::vector<RegValue> out;
    for (const auto& e : doc.sections.at(section).entries)
        if (e.kind == RegEntry::Kind::Value)
            out.push_back(e.value);
    return out;
}

bool SameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.name == y.name && x.type == y.type && x.data == y.data;
    });
}

} // namespace

TEST(RegFile, EveryTypeRoundTripsWithEscapes) {
    std::vector<BYTE> big(300);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = BYTE(i * 7);
    std::vector<RegValue> values = {
        {"q\"uote\\name", 1, Text("C:\\dir \"x\"")},
        {"", 1, Text("default")},
        {"empty", 1, Text("")},
        {"count", 4, {0x2a, 0, 0, 0}},
        {"neg", 4, {0xff, 0xff, 0xff, 0xff}},
        {"bin", 3, big},
        {"expand", 2, Text("%HOME%/x")},
        {"multi", 7, {'a', 0, 'b', 0, 0}},
        {"qword", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"none", 0, {}},
        {"no terminator", 1, {'a', 'b'}},
        {"line break", 1, Text("two\nlines")},
        {"short dword", 4, {7, 0}},
        {"utf8 \xC3\xA4", 1, Text("gr\xC3\xBC\xC3\x9F")},
        {"bad utf8", 1, Text("\xFF\xFE")},
    };
    RegDocument doc;
    doc.sections.push_back({"Software\\Belmar\\Quorvia", false, {}});
    for (const auto& v : values)
        doc.sections[0].entries.push_back({RegEntry::Kind::Value, v, {}});

    const std::string text = SerializeRegText(doc);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("\"q\\\"uote\\\\name\"=\"C:\\\\dir \\\"x\\\"\"\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"count\"=dword:0000002a\n"), std::string::npos);
    EXPECT_NE(text.find("\"multi\"=hex(7):61,00,62,00,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"no terminator\"=hex(1):61,62\n"), std::string::npos);
    EXPECT_NE(text.find(",\\\n  "), std::string::npos) << "long hex data wraps";

    auto parsed = ParseRegText(text);
    EXPECT_TRUE(parsed.hasHeader);
    ASSERT_EQ(parsed.doc.sections.size(), 1u);
    EXPECT_EQ(parsed.doc.sections[0].path, "Software\\Belmar\\Quorvia");
    EXPECT_TRUE(SameValues(ValuesOf(parsed.doc, 0), values));
    EXPECT_EQ(SerializeRegText(parsed.doc), text);
}

TEST(RegFile, ReadsRegeditSyntax) {
    const std::string text = "\xEF\xBB\xBFREGEDIT4\r\n"
                             "; a comment\r\n"
                             "[\\Software\\\\Test\\]\r\n"
                             "@=\"root\"\r\n"
                             "\"Upper\"=DWORD:0000FFFF\r\n"
                             "\"Short\"=dword:7\r\n"
                             "  \"Spaced\" = \"v\"  \r\n"
                             "\"Wrapped\"=hex(2):25,00,\\\r\n"
                             "  41,00,\\\r\n"
                             "  00\r\n"
                             "\"Odd\"=hex(b):1,2,3,4,5,6,7,8\r\n";
    auto parsed = ParseRegText(text);
    ASSERT_TRUE(parsed.hasHeader);
    ASSERT_EQ(parsed.doc.sections.size(), 1u);
    EXPECT_EQ(parsed.doc.sections[0].path, "Software\\Test");
    auto values = ValuesOf(parsed.doc, 0);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[0].name, "");
    EXPECT_EQ(values[1].data, (std::vector<BYTE>{0xff, 0xff, 0, 0}));
    EXPECT_EQ(values[2].data, (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(values[3].data, Text("v"));
    EXPECT_EQ(values[4].type, 2u);
    EXPECT_EQ(values[4].data, (std::vector<BYTE>{0x25, 0, 0x41, 0, 0}));
    EXPECT_EQ(values[5].type, 11u);
    // The comment stays, in its place before the first key.
    ASSERT_EQ(parsed.doc.preamble.size(), 1u);
    EXPECT_EQ(parsed.doc.preamble[0].raw, "; a comment\r");
}

TEST(RegFile, Version5FilesHoldUtf16Strings) {
    // hex(2) "ab" and hex(7) "x","y" in UTF-16LE, as regedit exports them.
    const std::string text = "Windows Registry Editor Version 5.00\n\n[K]\n"
                             "\"e\"=hex(2):61,00,62,00,00,00\n"
                             "\"m\"=hex(7):78,00,00,00,79,00,00,00,00,00\n"
                             "\"b\"=hex:61,00\n";
    auto values = ValuesOf(ParseRegText(text).doc, 0);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].data, Text("ab"));
    EXPECT_EQ(values[1].data, (std::vector<BYTE>{'x', 0, 'y', 0, 0}));
    EXPECT_EQ(values[2].data, (std::vector<BYTE>{0x61, 0})) << "binary data is never converted";

    // The same file saved as UTF-16LE with its byte-order mark.
    std::string wide = "\xFF\xFE";
    const std::u16string source =
        u"Windows Registry Editor Version 5.00\r\n[K]\r\n\"s\"=\"\u00e4\"\r\n";
    for (char16_t u : source) {
        wide += char(u & 0xFF);
        wide += char(u >> 8);
    }
    auto fromWide = ValuesOf(ParseRegText(wide).doc, 0);
    ASSERT_EQ(fromWide.size(), 1u);
    EXPECT_EQ(fromWide[0].data, Text("\xC3\xA4"));
}

TEST(RegFile, DamageNeverMovesValuesToAnotherKey) {
    // A hex value cut mid-continuation does not swallow the next key or value.
    const std::string trunc = "REGEDIT4\n[A]\n\"h\"=hex:01,02,\\\n[B]\n\"b\"=\"x\"\n";
    auto t = ParseRegText(trunc);
    ASSERT_EQ(t.doc.sections.size(), 2u);
    EXPECT_EQ(ValuesOf(t.doc, 0).at(0).data, (std::vector<BYTE>{1, 2}));
    EXPECT_EQ(ValuesOf(t.doc, 1).at(0).name, "b");

    // A kept line ending in a backslash does not join what a rewrite puts after it.
    const std::string kept = "REGEDIT4\n[A]\n\"h\"=hex(zz):01,\\\n";
    auto k = ParseRegText(kept);
    k.doc.sections[0].entries.push_back({RegEntry::Kind::Value, {"n", 1, Text("v")}, {}});
    auto reparsed = ParseRegText(SerializeRegText(k.doc));
    EXPECT_EQ(ValuesOf(reparsed.doc, 0).size(), 1u);
    EXPECT_EQ(ValuesOf(reparsed.doc, 0).at(0).name, "n");
}
