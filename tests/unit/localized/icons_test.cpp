// Icon group 117: picking an image from the directory and loading icons.
#include "localized/localized_resources.h"
#include "platform/module/icon.h"
#include "rc/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

using namespace qv::restest;

class IconTest : public ::testing::Test {
protected:
    ScopedResources resources_{RealModule()};
    ScopedLocale user_{kUsEnglish.name};
    std::span<const BYTE> group_ = LockLocalizedBytes(IDR_MAINFRAME, RT_GROUP_ICON_ID);

    void SetUp() override { ASSERT_GE(group_.size(), 6u) << "no icon group"; }

    WORD Pick(int width, int height, int bits, DWORD* size = nullptr) const {
        return PickIconFromDirectory(group_.data(), group_.size(), width, height, bits, size);
    }
    DWORD ImageSize(WORD id) const {
        HRSRC icon = FindResourceExA(RealModule(), MAKEINTRESOURCEA(RT_ICON_ID),
                                     MAKEINTRESOURCEA(id), 0x0407);
        return icon ? SizeofResource(RealModule(), icon) : 0;
    }
};

// Every image of the group is found by its own size and depth, with its
// size; deeper requests take the deepest image of the size.
TEST_F(IconTest, EachImageIsPickedByItsSizeAndDepth) {
    const int count = group_[4] | (group_[5] << 8);
    ASSERT_EQ(group_.size(), 6u + count * 14);
    std::map<int, std::pair<int, WORD>> deepest; // size -> (bits, id)
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = group_.data() + 6 + i * 14;
        const int side = entry[0], bits = entry[6] | (entry[7] << 8);
        const WORD id = WORD(entry[12] | (entry[13] << 8));
        DWORD size = 0;
        EXPECT_EQ(Pick(side, side, bits, &size), id) << side << "x" << bits;
        EXPECT_EQ(size, ImageSize(id));
        if (bits > deepest[side].first)
            deepest[side] = {bits, id};
    }
    EXPECT_EQ(deepest.size(), 2u) << "a small and a large image";
    for (auto [side, best] : deepest)
        EXPECT_EQ(Pick(side, side, 32), best.second) << side;
}

TEST_F(IconTest, NoFitLeavesTheChoiceToThePlatform) {
    DWORD size = 77;
    const WORD picked = Pick(48, 48, 8, &size);
    EXPECT_NE(picked, 0);
    EXPECT_EQ(picked, LookupIconIdFromDirectoryEx(group_.data(), TRUE, 48, 48, LR_DEFAULTCOLOR));
    EXPECT_EQ(size, 77u); // only a fitting entry reports its size
    // 16x16 at 1 bit has no entry of its own either.
    EXPECT_EQ(Pick(16, 16, 1), LookupIconIdFromDirectoryEx(group_.data(), TRUE, 16, 16, 0));
}

TEST_F(IconTest, ReadsNoEntryPastTheGivenSize) {
    // Only the first entry (32x32, 4 bits) lies within the size.
    EXPECT_EQ(PickIconFromDirectory(group_.data(), 6 + 14, 32, 32, 4, nullptr), 1);
    EXPECT_NE(PickIconFromDirectory(group_.data(), 6 + 14, 16, 16, 8, nullptr), 4);
    // A count larger than the data: the entries that fit still count.
    std::vector<BYTE> copy(group_.begin(), group_.end());
    copy[4] = 0xFF;
    EXPECT_EQ(PickIconFromDirectory(copy.data(), copy.size(), 16, 16, 8, nullptr), 4);
    EXPECT_EQ(PickIconFromDirectory(group_.data(), 5, 16, 16, 8, nullptr), 0);
    EXPECT_EQ(PickIconFromDirectory(nullptr, 100, 16, 16, 8, nullptr), 0);
}

TEST_F(IconTest, SmallIconDecodesToSixteenBySixteen) {
    HICON icon = LoadLocalizedIconEx(IDR_MAINFRAME, 16, 16, 8);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 16);
    EXPECT_EQ(icon->height, 16);
    ASSERT_EQ(icon->argb.size(), 256u);
    EXPECT_EQ(icon->argb[0] >> 24, 0u);             // corner is transparent
    EXPECT_EQ(icon->argb[8 * 16 + 8] >> 24, 0xFFu); // the console is opaque
    DestroyIcon(icon);
}

TEST_F(IconTest, StandardIconIsTheLargeImageAndAMissingGroupGivesNone) {
    EXPECT_EQ(LoadLocalizedIcon(999), nullptr);
    EXPECT_EQ(LoadLocalizedIconEx(999, 16, 16, 8), nullptr);
    for (const Locale& locale : {kGerman, kJapanese}) {
        ScopedLocale user(locale.name);
        HICON icon = LoadLocalizedIcon(IDR_MAINFRAME);
        ASSERT_NE(icon, nullptr) << locale.name;
        EXPECT_EQ(icon->width, 32);
        EXPECT_EQ(icon->height, 32);
        DestroyIcon(icon);
    }
}

} // namespace
