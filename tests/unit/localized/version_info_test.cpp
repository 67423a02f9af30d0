// The version block reader, on the shipped block, the fixture's block and
// hand-made blocks.
#include "localized/localized_resources.h"
#include "localized/version_info.h"
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

TEST_F(ShippedVersionTest, NodesAreFoundByTypeAndKey) {
    const auto block = VersionBlock();
    const BYTE* fixed = FindVersionNode(block.data(), 0, u"VS_VERSION_INFO");
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed[0] | (fixed[1] << 8) | (fixed[2] << 16) | (DWORD(fixed[3]) << 24), 0xFEEF04BDu);
    EXPECT_EQ(FindVersionNode(block.data(), 0, u"ProductName"), nullptr);
    EXPECT_NE(FindVersionNode(block.data(), 1, u"ProductName"), nullptr);
    EXPECT_NE(FindVersionNode(block.data(), 1, u"040704b0"), nullptr);
}

TEST_F(ShippedVersionTest, WalkStopsAtTheRootLength) {
    const auto block = VersionBlock();
    std::vector<BYTE> copy(block.begin(), block.end());
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
    ScopedResources resources(RealModule());
    ScopedResources none(nullptr);
    EXPECT_EQ(GetVersionInfoString("ProductName"), "");
    EXPECT_EQ(GetVersionInfoString(nullptr), "");
}

// Hand-made blocks: a node is header, key, padding, value, padding, children.
class Node {
public:
    Node(std::u16string key, WORD type) : key_(std::move(key)), type_(type) {}
    Node& Text(std::u16string value, bool terminate = true) {
        valueLength_ = WORD(value.size() + (terminate ? 1 : 0));
        for (char16_t c : value)
            Put16(value_, c);
        if (terminate)
            Put16(value_, 0);
        return *this;
    }
    Node& Binary(std::vector<BYTE> value) {
        valueLength_ = WORD(value.size());
        value_ = std::move(value);
        return *this;
    }
    Node& ValueLength(WORD length) {
        valueLength_ = length;
        return *this;
    }
    Node& Child(const Node& child) {
        children_.push_back(child);
        return *this;
    }
    std::vector<BYTE> Bytes() const {
        std::vector<BYTE> out(6);
        for (char16_t c : key_)
            Put16(out, c);
        Put16(out, 0);
        Pad(out);
        out.insert(out.end(), value_.begin(), value_.end());
        for (const Node& child : children_) {
            Pad(out);
            const auto bytes = child.Bytes();
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        Set16(out, 0, WORD(out.size()));
        Set16(out, 2, valueLength_);
        Set16(out, 4, type_);
        return out;
    }

private:
    static void Put16(std::vector<BYTE>& out, WORD v) {
        out.push_back(BYTE(v & 0xFF));
        out.push_back(BYTE(v >> 8));
    }
    static void Set16(std::vector<BYTE>& out, std::size_t at, WORD v) {
        out[at] = BYTE(v & 0xFF);
        out[at + 1] = BYTE(v >> 8);
    }
    static void Pad(std::vector<BYTE>& out) {
        while (out.size() % 4)
            out.push_back(0);
    }
    std::u16string key_;
    WORD type_;
    WORD valueLength_ = 0;
    std::vector<BYTE> value_;
    std::vector<Node> children_;
};

std::vector<BYTE> Fixed(DWORD signature) {
    std::vector<BYTE> fixed(52, 0);
    const DWORD fields[] = {signature, 0x10000, 0x00020003, 0x00050004};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            fixed[i * 4 + b] = BYTE(fields[i] >> (8 * b));
    return fixed;
}

Node Root(Node table, DWORD signature = 0xFEEF04BD) {
    Node root(u"VS_VERSION_INFO", 0);
    root.Binary(Fixed(signature));
    root.Child(Node(u"StringFileInfo", 1).Child(table));
    return root;
}

TEST(HandMadeVersionTest, ValuesOfWellAndOddlyFormedBlocks) {
    const Node table =
        Node(u"00000000", 1).Child(Node(u"A", 1).Text(u"one")).Child(Node(u"B", 1).Text(u"two"));
    const struct {
        const char* what;
        std::vector<BYTE> block;
        const char* key;
        const char* value;
    } cases[] = {
        {"first entry", Root(table).Bytes(), "A", "one"},
        {"second entry", Root(table).Bytes(), "B", "two"},
        {"file version", Root(table).Bytes(), nullptr, "2.3.5.4"},
        {"bad signature", Root(table, 0x12345678).Bytes(), nullptr, ""},
        {"empty values do not end the walk",
         Root(Node(u"00000000", 1)
                  .Child(Node(u"K", 1))           // wValueLength 0
                  .Child(Node(u"K", 1).Text(u"")) // a lone terminator
                  .Child(Node(u"K", 0).Binary({'x', 0}))
                  .Child(Node(u"K", 1).Text(u"found")))
             .Bytes(),
         "K", "found"},
        {"no terminator",
         Root(Node(u"00000000", 1).Child(Node(u"K", 1).Text(u"abc", false))).Bytes(), "K", "abc"},
        {"value length past the entry",
         Root(Node(u"00000000", 1).Child(Node(u"K", 1).Text(u"abcd").ValueLength(900))).Bytes(),
         "K", "abcd"},
        {"first table of the wrong type",
         Root(Node(u"00000000", 0).Child(Node(u"A", 1).Text(u"one"))).Bytes(), "A", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VersionInfoString(c.block, c.key), c.value) << c.what;
}

TEST(HandMadeVersionTest, MalformedBlocksGiveNothing) {
    const auto good = Root(Node(u"00000000", 1).Child(Node(u"A", 1).Text(u"one"))).Bytes();
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
    auto zero =
        Root(Node(u"00000000", 1).Child(Node(u"Z", 1).Text(u"z")).Child(Node(u"A", 1).Text(u"one")))
            .Bytes();
    const std::size_t entry = zero.size() - Node(u"A", 1).Text(u"one").Bytes().size();
    zero[entry] = zero[entry + 1] = 0;
    EXPECT_EQ(VersionInfoString(zero, "Z"), "z");
    EXPECT_EQ(VersionInfoString(zero, "A"), "");
    // A key running to the end without terminator.
    std::vector<BYTE> open = {40, 0, 0, 0, 0, 0};
    for (int i = 0; i < 17; ++i)
        open.insert(open.end(), {'V', 0});
    EXPECT_EQ(qv::resources::FindVersionNode(open, 0, u"VS_VERSION_INFO"), nullptr);
    EXPECT_EQ(VersionInfoString(open, nullptr), "");
}

} // namespace
