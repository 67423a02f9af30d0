// The version block reader, on the shipped block, the fixture's block and
// hand-made blocks.
#include "localized/localized_resources.h"
#include "localized/version_info.h"
#include "support/utf16.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace qv::restest;
using qv::resources::VersionInfoString;

std::span<const BYTE> VersionBlock() {
    return LockLocalizedBytes(1, RT_VERSION_ID);
}

class ShippedVersionTest : public ::testing::Test {
protected:
    ScopedResources resources_{RealModule()};
    ScopedLocale user_{kGerman.name};
};

// One version throughout, carried without its terminator.
TEST_F(ShippedVersionTest, OneVersionNamedByTheCompany) {
    const std::string version = GetVersionInfoString("ProductVersion");
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(version.find('\0'), std::string::npos);
    EXPECT_EQ(GetVersionInfoString("FileVersion"), version);
    EXPECT_EQ(GetVersionInfoString(nullptr), version + ".0");
    const std::string company = GetVersionInfoString("CompanyName");
    ASSERT_FALSE(company.empty());
    EXPECT_NE(GetVersionInfoString("LegalCopyright").find(company), std::string::npos);
    const std::string product = GetVersionInfoString("ProductName");
    EXPECT_FALSE(product.empty());
    for (const Locale& locale : {kUsEnglish, kJapanese, kBelgianDutch}) {
        ScopedLocale user(locale.name);
        EXPECT_EQ(GetVersionInfoString("ProductName"), product) << locale.name;
    }
}

TEST_F(ShippedVersionTest, WhatYieldsEmpty) {
    for (const char* key : {"productname", "PRODUCTNAME", "LegalTrademarks", "PrivateBuild",
                            "SpecialBuild", "Translation", "VarFileInfo", "StringFileInfo",
                            "040704b0", "VS_VERSION_INFO", "", "NoSuchKey"})
        EXPECT_EQ(GetVersionInfoString(key), "") << key;
    EXPECT_EQ(GetVersionInfoString(std::string(200, 'A').c_str()), "");
}

TEST_F(ShippedVersionTest, NodesAreFoundByTypeAndKeyWithinTheRootLength) {
    const auto block = VersionBlock();
    std::vector<BYTE> copy(block.begin(), block.end());
    EXPECT_NE(FindVersionNode(block.data(), 0, u"VS_VERSION_INFO"), nullptr);
    EXPECT_EQ(FindVersionNode(block.data(), 0, u"ProductName"), nullptr);
    const BYTE* product = FindVersionNode(block.data(), 1, u"ProductName");
    ASSERT_NE(product, nullptr);
    // Cut the root just before the ProductName entry.
    const std::size_t cut = std::size_t(product - block.data()) - 30;
    copy[0] = BYTE(cut & 0xFF);
    copy[1] = BYTE(cut >> 8);
    EXPECT_EQ(FindVersionNode(copy.data(), 1, u"ProductName"), nullptr);
    EXPECT_EQ(VersionInfoString(copy, "ProductName"), "");
    EXPECT_EQ(VersionInfoString(copy, "CompanyName"), "Belmar");
    // The sized form also stops at the data's end, whatever the root says.
    copy[0] = copy[1] = 0xFF;
    EXPECT_EQ(VersionInfoString(std::span(copy).first(cut), "ProductName"), "");
}

TEST(FixtureVersionTest, OnlyTheFirstStringTable) {
    ScopedResources resources(FixtureModule());
    ScopedLocale user(kGerman.name);
    EXPECT_EQ(GetVersionInfoString("ProductName"), "Fixture");
    EXPECT_EQ(GetVersionInfoString("OnlySecond"), "");
    EXPECT_EQ(GetVersionInfoString("Twice"), "second"); // an empty value does not end the walk
    EXPECT_EQ(GetVersionInfoString(nullptr), "65535.0.300.7");
}

TEST(FixtureVersionTest, NoVersionBlock) {
    ScopedResources none(nullptr);
    EXPECT_EQ(GetVersionInfoString("ProductName"), "");
    EXPECT_EQ(GetVersionInfoString(nullptr), "");
}

// Hand-made blocks.
using Bytes = std::vector<BYTE>;

Bytes Units(std::u16string_view text) {
    const std::string bytes = qv::test::Utf16Bytes(text);
    return Bytes(bytes.begin(), bytes.end());
}

void PadAndAppend(Bytes& out, const Bytes& part) {
    while (out.size() % 4)
        out.push_back(0);
    out.insert(out.end(), part.begin(), part.end());
}

// Header, key, padding, value, padding, children.
Bytes Node(std::u16string_view key, WORD type, WORD valueLength, const Bytes& value,
           std::initializer_list<Bytes> children = {}) {
    Bytes out = {0, 0, BYTE(valueLength & 0xFF), BYTE(valueLength >> 8), BYTE(type), 0};
    const Bytes name = Units(key);
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), {0, 0});
    PadAndAppend(out, value);
    for (const Bytes& child : children)
        PadAndAppend(out, child);
    out[0] = BYTE(out.size() & 0xFF);
    out[1] = BYTE(out.size() >> 8);
    return out;
}

// A string entry; wValueLength counts the terminator when there is one.
Bytes Text(std::u16string_view key, std::u16string value, bool terminate = true) {
    if (terminate)
        value.push_back(0);
    return Node(key, 1, WORD(value.size()), Units(value));
}

Bytes Table(WORD type, std::initializer_list<Bytes> entries) {
    return Node(u"00000000", type, 0, {}, entries);
}

// File version 2.3.5.4.
Bytes Root(const Bytes& table, DWORD signature = 0xFEEF04BD) {
    Bytes fixed(52, 0);
    const DWORD fields[] = {signature, 0x10000, 0x00020003, 0x00050004};
    for (int i = 0; i < 16; ++i)
        fixed[i] = BYTE(fields[i / 4] >> (8 * (i % 4)));
    return Node(u"VS_VERSION_INFO", 0, 52, fixed, {Node(u"StringFileInfo", 1, 0, {}, {table})});
}

TEST(HandMadeVersionTest, ValuesOfWellAndOddlyFormedBlocks) {
    const Bytes table = Table(1, {Text(u"A", u"one"), Text(u"B", u"two")});
    const struct {
        const char* what;
        Bytes block;
        const char* key;
        const char* value;
    } cases[] = {
        {"first entry", Root(table), "A", "one"},
        {"second entry", Root(table), "B", "two"},
        {"file version", Root(table), nullptr, "2.3.5.4"},
        {"bad signature", Root(table, 0x12345678), nullptr, ""},
        {"empty values do not end the walk",
         Root(Table(1, {Node(u"K", 1, 0, {}), Text(u"K", u""), Node(u"K", 0, 2, {'x', 0}),
                        Text(u"K", u"found")})),
         "K", "found"},
        {"no terminator", Root(Table(1, {Text(u"K", u"abc", false)})), "K", "abc"},
        {"value length past the entry", Root(Table(1, {Node(u"K", 1, 900, Units(u"abcd"))})), "K",
         "abcd"},
        {"first table of the wrong type", Root(Table(0, {Text(u"A", u"one")})), "A", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VersionInfoString(c.block, c.key), c.value) << c.what;
}

TEST(HandMadeVersionTest, MalformedBlocksGiveNothing) {
    const Bytes good = Root(Table(1, {Text(u"A", u"one")}));
    // Every cut of the data.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::span<const BYTE> cut(good.data(), size);
        // A value cut short may come out cut short, never with bytes from past the end.
        const std::string value = VersionInfoString(cut, "A");
        EXPECT_TRUE(std::string("one").starts_with(value)) << size;
        if (size + 8 <= good.size()) { // cut before the value
            EXPECT_EQ(value, "") << size;
        }
        EXPECT_EQ(VersionInfoString(cut, nullptr), size >= 40 + 16 ? "2.3.5.4" : "") << size;
    }
    // A string entry with wLength 0 ends the table walk.
    Bytes zero = Root(Table(1, {Text(u"Z", u"z"), Text(u"A", u"one")}));
    const std::size_t entry = zero.size() - Text(u"A", u"one").size();
    zero[entry] = zero[entry + 1] = 0;
    EXPECT_EQ(VersionInfoString(zero, "Z"), "z");
    EXPECT_EQ(VersionInfoString(zero, "A"), "");
    // A key running to the end without terminator.
    Bytes open = {40, 0, 0, 0, 0, 0};
    for (int i = 0; i < 17; ++i)
        open.insert(open.end(), {'V', 0});
    EXPECT_EQ(qv::resources::FindVersionNode(open, 0, u"VS_VERSION_INFO"), nullptr);
    EXPECT_EQ(VersionInfoString(open, nullptr), "");
}

} // namespace
