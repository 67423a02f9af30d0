#include "platform/module/res_image.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

using qv::platform::ResourceImage;
using qv::platform::ResourceName;
using qv::test::ResBuilder;

TEST(ResImage, FirstCopyWinsAndOrdinalsNeverMatchStrings) {
    ResBuilder res;
    res.Add(WORD(10), WORD(65), 0x0407, {'a'})
        .Add(WORD(10), std::u16string(u"A"), 0x0407, {'s'})
        .Add(WORD(10), WORD(65), 0x0407, {'b'})
        .Add(WORD(10), WORD(65), 0x0000, {'n'})
        .Add(WORD(11), WORD(65), 0x0409, {'t'});
    const auto image = ResourceImage::Parse(res.image());
    ASSERT_NE(image, nullptr);
    const auto text = [&](const ResourceName& type, const ResourceName& name, LANGID language) {
        const auto* entry = image->Find(type, name, language);
        return entry ? std::string(entry->data.begin(), entry->data.end()) : std::string("-");
    };
    const auto rcdata = ResourceName::Ordinal(10);
    EXPECT_EQ(text(rcdata, ResourceName::Ordinal(65), 0x0407), "a");
    EXPECT_EQ(text(rcdata, ResourceName::String("a"), 0x0407), "s");
    EXPECT_EQ(text(rcdata, ResourceName::Ordinal(65), 0x0000), "n");
    EXPECT_EQ(text(rcdata, ResourceName::Ordinal(65), 0x0409), "-");
    EXPECT_EQ(text(ResourceName::Ordinal(11), ResourceName::Ordinal(65), 0x0409), "t");
    EXPECT_EQ(image->Languages(rcdata, ResourceName::Ordinal(65)),
              (std::vector<LANGID>{0x0000, 0x0407}));
    EXPECT_EQ(image->Entries().size(), 5u);
}

TEST(ResImage, HashNumberNamesAreOrdinals) {
    EXPECT_EQ(ResourceName::String("#250"), ResourceName::Ordinal(250));
    EXPECT_FALSE(ResourceName::String("#").isOrdinal);
    EXPECT_FALSE(ResourceName::String("#70000").isOrdinal);
    EXPECT_FALSE(ResourceName::String("#12a").isOrdinal);
    EXPECT_EQ(ResourceName::FromWin32(MAKEINTRESOURCEA(7)), ResourceName::Ordinal(7));
}

// Every prefix of a good image is refused unless it ends right after a
// record or inside its padding.
TEST(ResImage, RefusesEveryTruncationInsideARecord) {
    const auto bytes = qv::test::ReadFixtureRes();
    const auto image = ResourceImage::Parse(bytes);
    ASSERT_NE(image, nullptr);
    std::set<std::size_t> ends = {32};
    const auto* base = reinterpret_cast<const BYTE*>(bytes.data());
    for (const auto& entry : image->Entries()) {
        const std::size_t end =
            static_cast<std::size_t>(entry.data.data() - base) + entry.data.size();
        for (std::size_t at = end; at <= ((end + 3) & ~std::size_t(3)); ++at)
            ends.insert(at);
    }
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const auto prefix = ResourceImage::Parse(std::span(bytes).first(size));
        EXPECT_EQ(prefix != nullptr, ends.count(size) == 1) << "prefix of " << size << " bytes";
    }
}

TEST(ResImage, RefusesMalformedHeaders) {
    ResBuilder noLeadingRecord;
    noLeadingRecord.bytes().clear();
    noLeadingRecord.Add(WORD(10), WORD(1), 0, {1, 2, 3});
    EXPECT_EQ(ResourceImage::Parse(noLeadingRecord.image()), nullptr);
    const auto patched = [](std::size_t at, DWORD value) {
        ResBuilder res;
        res.Add(WORD(10), WORD(1), 0, {1, 2, 3});
        auto& b = res.bytes();
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<BYTE>(value >> (8 * i));
        return ResourceImage::Parse(res.image());
    };
    EXPECT_EQ(patched(32, 0xFFFFFFFF), nullptr); // data size past the end
    EXPECT_EQ(patched(36, 0xFFFFFFF0), nullptr); // header size past the end
    EXPECT_EQ(patched(36, 16), nullptr);         // header too small for its fields
    EXPECT_EQ(patched(36, 34), nullptr);         // header not DWORD-sized
    EXPECT_EQ(ResourceImage::Parse({}), nullptr);

    // A string name that runs into the fixed fields has no terminator there.
    ResBuilder unterminated;
    unterminated.Add(std::u16string(u"ABCDEFGHIJKL"), WORD(1), 0, {});
    auto& b = unterminated.bytes();
    for (std::size_t i = 40; i < 72; ++i) // both names and the padding
        b[i] = 'A';
    EXPECT_EQ(ResourceImage::Parse(unterminated.image()), nullptr);
}

TEST(ResImage, GarbledImagesNeverYieldDataOutsideTheBuffer) {
    const auto good = qv::test::ReadFixtureRes();
    std::mt19937 random(1234);
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<std::byte>(random());
        const auto image = ResourceImage::Parse(bytes);
        if (!image)
            continue;
        ++parsed;
        const auto* begin = reinterpret_cast<const BYTE*>(bytes.data());
        for (const auto& entry : image->Entries()) {
            ASSERT_GE(entry.data.data(), begin);
            ASSERT_LE(entry.data.data() + entry.data.size(), begin + bytes.size());
        }
    }
    // Flips in the data leave the image well-formed, so some must parse.
    EXPECT_GT(parsed, 0);
}

} // namespace
