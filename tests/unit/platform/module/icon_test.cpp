#include "platform/module/icon.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using qv::test::FixtureModule;
using qv::test::ResourceData;

constexpr DWORD kVersion = 0x00030000;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<HICON__, IconDeleter>;

WORD EntryId(std::span<const BYTE> group, int entry) {
    const std::size_t at = 6 + 14 * std::size_t(entry) + 12;
    return static_cast<WORD>(group[at] | (group[at + 1] << 8));
}

// The fixture images' pattern (see fixtures/make_icons.py), straight ARGB.
std::uint32_t ExpectedPixel(int bpp, int x, int y) {
    if (x == 0 && y == 0 && bpp != 32)
        return 0; // masked out
    if (bpp <= 8) {
        const std::uint32_t index = (x + 2 * y) % (1u << bpp);
        return 0xFF800000u | (((index * 0x10) & 0xFF) << 8) | (index & 0xFF);
    }
    const std::uint32_t alpha = bpp == 32 ? (0xFF - x * 16) & 0xFF : 0xFF;
    return (alpha << 24) | (0x40u << 16) | (((y * 8) & 0xFF) << 8) | ((x * 8) & 0xFF);
}

class IconTest : public ::testing::Test {
protected:
    std::span<const BYTE> Group(WORD name) {
        return ResourceData(module.get(), RT_GROUP_ICON_ID, name, 0x0407);
    }
    std::span<const BYTE> Image(WORD group, int entry) {
        return ResourceData(module.get(), RT_ICON_ID, EntryId(Group(group), entry), 0x0407);
    }
    IconPtr Decode(std::span<const BYTE> image, int cx = 0, int cy = 0) {
        return IconPtr(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()),
                                                TRUE, kVersion, cx, cy, LR_DEFAULTCOLOR));
    }

    FixtureModule module;
};

// Group 5 holds 32x32x4, 16x16x4, 32x32x8, 16x16x8 in this order.
TEST_F(IconTest, LookupPrefersExactSizeThenNearestThenDeepest) {
    const auto group = Group(5);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    const auto pick = [&](int cx, int cy, UINT flags = LR_DEFAULTCOLOR) {
        return LookupIconIdFromDirectoryEx(group.data(), TRUE, cx, cy, flags);
    };
    // Size asked for and the entry picked; halfway between 16 and 32 the larger wins.
    for (auto [size, entry] :
         {std::pair{16, 3}, {32, 2}, {0, 2}, {48, 2}, {20, 3}, {8, 3}, {24, 2}})
        EXPECT_EQ(pick(size, size), EntryId(group, entry)) << size;
    EXPECT_EQ(LookupIconIdFromDirectory(group.data(), TRUE), EntryId(group, 2));
    EXPECT_EQ(pick(16, 16, LR_MONOCHROME), EntryId(group, 1));
    EXPECT_EQ(qv::platform::LookupIconIdFromGroup(group.data(), group.size(), TRUE, 16, 16, 0),
              EntryId(group, 3));
}

TEST_F(IconTest, LookupRefusesMalformedDirectories) {
    auto group = std::vector<BYTE>(Group(5).begin(), Group(5).end());
    EXPECT_EQ(LookupIconIdFromDirectoryEx(group.data(), FALSE, 16, 16, 0), 0); // not a cursor group
    EXPECT_EQ(LookupIconIdFromDirectory(nullptr, TRUE), 0);
    // A cut directory yields nothing rather than a half-read entry.
    for (std::size_t size = 0; size < group.size(); ++size)
        EXPECT_EQ(qv::platform::LookupIconIdFromGroup(group.data(), size, TRUE, 16, 16, 0), 0)
            << size;
    auto reserved = group;
    reserved[0] = 1;
    EXPECT_EQ(LookupIconIdFromDirectory(reserved.data(), TRUE), 0);
    auto empty = group;
    empty[4] = empty[5] = 0;
    EXPECT_EQ(LookupIconIdFromDirectory(empty.data(), TRUE), 0);
}

TEST_F(IconTest, LookupReadsCursorGroupsAndZeroMeaning256) {
    // Cursor entries: width, doubled height, planes, bits (all 16-bit), size, id.
    std::vector<BYTE> cursors = {0, 0, 2, 0,  2, 0,  32, 0, 64, 0, 1, 0,   1, 0, 100, 0, 0,
                                 0, 7, 0, 48, 0, 96, 0,  1, 0,  1, 0, 100, 0, 0, 0,   8, 0};
    EXPECT_EQ(LookupIconIdFromDirectoryEx(cursors.data(), FALSE, 44, 44, 0), 8);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(cursors.data(), FALSE, 33, 33, 0), 7);

    std::vector<BYTE> big = {0,  0,  1, 0, 2,  0, 0,  0, 0, 0, 1, 0, 32, 0,
                             0,  0,  0, 0, 21, 0, // 256x256
                             48, 48, 0, 0, 1,  0, 32, 0, 0, 0, 0, 0, 22, 0};
    EXPECT_EQ(LookupIconIdFromDirectoryEx(big.data(), TRUE, 256, 256, 0), 21);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(big.data(), TRUE, 64, 64, 0), 22);
}

TEST_F(IconTest, DecodesEveryDepthWithPaletteMaskAndRowOrder) {
    // Group 6: width, height and depth of each image (the 32-bit one with alpha).
    const int shapes[][3] = {{5, 3, 1}, {6, 4, 4}, {7, 5, 8}, {4, 4, 24}, {4, 4, 32}, {33, 2, 1}};
    for (int entry = 0; entry < 6; ++entry) {
        const auto [w, h, bpp] = shapes[entry];
        SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bpp);
        auto icon = Decode(Image(6, entry));
        ASSERT_NE(icon, nullptr);
        ASSERT_EQ(icon->width, w);
        ASSERT_EQ(icon->height, h);
        ASSERT_EQ(icon->argb.size(), std::size_t(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(icon->argb[y * w + x], ExpectedPixel(bpp, x, y)) << x << "," << y;
    }
}

TEST_F(IconTest, ScalesUpByNearestAndDownByAveraging) {
    const auto small = Image(5, 3); // 16x16x8
    auto original = Decode(small);
    auto doubled = Decode(small, 32, 32);
    ASSERT_NE(original, nullptr);
    ASSERT_NE(doubled, nullptr);
    ASSERT_EQ(doubled->width, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(doubled->argb[y * 32 + x], original->argb[(y / 2) * 16 + x / 2]);

    auto halved = Decode(Image(5, 2), 16, 16); // 32x32x8 -> 16x16
    ASSERT_NE(halved, nullptr);
    // Pixel 0,0 averages the transparent corner with indices 1, 2 and 3.
    const std::uint32_t corner = halved->argb[0];
    EXPECT_EQ(corner >> 24, 191u);
    EXPECT_EQ(corner & 0xFF, 2u);
    EXPECT_EQ((corner >> 8) & 0xFF, 0x20u);
    // Pixel 1,1 averages indices 6, 7, 8 and 9, all opaque.
    EXPECT_EQ(halved->argb[17], 0xFF800000u | (0x78u << 8) | 8u);

    // CreateIconFromResource takes the standard icon size.
    IconPtr standard(CreateIconFromResource(small.data(), DWORD(small.size()), TRUE, kVersion));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->width, SM_CXICON_DEFAULT);
    EXPECT_EQ(standard->height, SM_CXICON_DEFAULT);
}

TEST_F(IconTest, RefusesPngTruncatedAndMalformedImages) {
    const auto image = Image(6, 2);
    const std::vector<BYTE> good(image.begin(), image.end());
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(Decode(std::span(good).first(size)), nullptr) << size;

    const auto patched = [&](std::size_t at, std::vector<BYTE> bytes) {
        auto copy = good;
        std::copy(bytes.begin(), bytes.end(), copy.begin() + at);
        return Decode(copy);
    };
    EXPECT_NE(patched(0, {40}), nullptr);
    EXPECT_EQ(patched(0, {0x89, 'P', 'N', 'G'}), nullptr);
    EXPECT_EQ(patched(14, {16}), nullptr);                    // 16 bits per pixel
    EXPECT_EQ(patched(16, {1}), nullptr);                     // RLE compression
    EXPECT_EQ(patched(4, {0, 0, 0, 0x10}), nullptr);          // a huge width
    EXPECT_EQ(patched(8, {0xF6, 0xFF, 0xFF, 0xFF}), nullptr); // negative height
    EXPECT_EQ(patched(0, {0xFF, 0xFF, 0, 0}), nullptr);       // header longer than the data
    EXPECT_EQ(CreateIconFromResourceEx(good.data(), DWORD(good.size()), TRUE, 0x00010000, 0, 0, 0),
              nullptr);
    EXPECT_EQ(
        CreateIconFromResourceEx(good.data(), DWORD(good.size()), TRUE, kVersion, 5000, 5000, 0),
        nullptr);
    EXPECT_FALSE(DestroyIcon(nullptr));

    // A cursor image is the same DIB behind a 4-byte hotspot.
    std::vector<BYTE> cursor = {3, 0, 4, 0};
    cursor.insert(cursor.end(), good.begin(), good.end());
    IconPtr fromCursor(
        CreateIconFromResourceEx(cursor.data(), DWORD(cursor.size()), FALSE, kVersion, 0, 0, 0));
    ASSERT_NE(fromCursor, nullptr);
    EXPECT_EQ(fromCursor->argb, Decode(good)->argb);
}

} // namespace
