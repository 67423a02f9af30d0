#include "settings/scramble.h"
#include "temp_settings.h"

using qv::settings::PasswordKeystream;
using qv::settings::ScramblePassword;
using qv::settings::UnscramblePassword;

namespace {

TEST(PasswordKeystream, MatchesTheClassicGenerator) {
    // seed 1: 1*214013+2531011 = 2745024, >>16 = 41; the well-known first values.
    PasswordKeystream one(1);
    EXPECT_EQ(one.Next(), 41);
    EXPECT_EQ(one.Next(), 18467);
    EXPECT_EQ(one.Next(), 6334);
    EXPECT_EQ(one.Next(), 26500);
    // kPasswordSeed: 0x2F6B1C47*214013+2531011 mod 2^32 = 0x3A3D25EE -> 0x3A3D;
    // 0x3A3D25EE*214013+2531011 mod 2^32 = 0x014C64F9 -> 0x014C.
    PasswordKeystream fixed(kPasswordSeed);
    EXPECT_EQ(fixed.Next(), 0x3A3D);
    EXPECT_EQ(fixed.Next(), 0x014C);
}

TEST(Scramble, KnownVectors) {
    // 'A' 0x41 ^ 41 (0x29) = 0x0068; 0xE4 sign-extends to 0xFFFFFFE4, ^ 18467 (0x4823) -> 0xB7C7.
    EXPECT_EQ(ScramblePassword("A\xE4", 1), "0068b7c7");
    // 'p' 0x70 ^ 0x3A3D = 0x3A4D; 0xFFFFFFE4 ^ 0x014C -> 0xFEA8.
    EXPECT_EQ(ScramblePassword("p\xE4", kPasswordSeed), "3a4dfea8");
    EXPECT_EQ(UnscramblePassword("3a4dfea8", kPasswordSeed), "p\xE4");
    EXPECT_EQ(UnscramblePassword("3A4DFEA8", kPasswordSeed), "p\xE4") << "upper case digits";
}

TEST(Scramble, RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    const std::string stored = ScramblePassword(all, kPasswordSeed);
    EXPECT_EQ(stored.size(), 4 * all.size());
    EXPECT_EQ(stored.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(UnscramblePassword(stored, kPasswordSeed), all);
    // Bytes from 0x80 up invert the high half: the group starts with 8-f.
    for (std::size_t i = 0x7F; i < all.size(); ++i)
        EXPECT_GE(stored[4 * i], '8') << i;
    EXPECT_EQ(ScramblePassword(all, kPasswordSeed), stored) << "deterministic";
    EXPECT_NE(UnscramblePassword(stored, kPasswordSeed + 1), all)
        << "another seed reads other bytes";
}

TEST(Scramble, ShortAndOddGroups) {
    EXPECT_EQ(ScramblePassword("", kPasswordSeed), "");
    EXPECT_EQ(UnscramblePassword("", kPasswordSeed), "");
    const std::string stored = ScramblePassword("ab", kPasswordSeed);
    // A short last group still yields a byte: "3a" reads as 0x3A.
    const std::string odd = stored.substr(0, 4) + "3a";
    const std::string out = UnscramblePassword(odd, kPasswordSeed);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 'a');
    EXPECT_EQ(BYTE(out[1]), BYTE((0x3A ^ 0x014C) & 0xFF));
    // A group that does not start with a hex digit counts as 0; "1g00" reads as 1.
    const std::string junk = UnscramblePassword("zzzz1g00", kPasswordSeed);
    ASSERT_EQ(junk.size(), 2u);
    EXPECT_EQ(BYTE(junk[0]), BYTE(0x3A3D & 0xFF));
    EXPECT_EQ(BYTE(junk[1]), BYTE((1 ^ 0x014C) & 0xFF));
}

TEST_F(SettingsTest, ScrambledSettingIsStoredAsHex) {
    ASSERT_TRUE(WriteScrambledSetting(nullptr, "Pass", "p\xE4", kPasswordSeed));
    EXPECT_EQ(GetSettingString(nullptr, "Pass", ""), "3a4dfea8");
    EXPECT_EQ(GetScrambledSetting(nullptr, "Pass", kPasswordSeed), "p\xE4");
    ASSERT_TRUE(WriteScrambledSetting(nullptr, "Pass", "", kPasswordSeed));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, GetSettingsKey(nullptr).c_str(), "Pass"));
    EXPECT_EQ(GetScrambledSetting(nullptr, "Pass", kPasswordSeed), "");
    EXPECT_EQ(GetScrambledSetting(nullptr, "Absent", kPasswordSeed), "");
}

} // namespace
