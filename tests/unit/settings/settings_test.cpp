// The settings store: its key, values by type, the profile file without a
// company, and the scrambled password.
#include "platform/module/module.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "support/support.h"

#include <climits>
#include <filesystem>
#include <vector>

namespace {

using qv::settings::ScramblePassword;
using qv::settings::UnscramblePassword;
using qv::test::ReadFile;

// A private settings folder and executable name per test.
class SettingsTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        qv::platform::SetModuleFileNameForTesting("/opt/quorvia/bin/Quorvia.exe");
        SetSettingsCompany("Belmar");
    }
    void TearDown() override { qv::platform::SetModuleFileNameForTesting(""); }
    // Stores raw value data under the settings key.
    void SetRaw(const char* name, DWORD type, std::vector<BYTE> data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, GetSettingsKey(nullptr).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  LSTATUS(ERROR_SUCCESS));
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), DWORD(data.size())),
                  LSTATUS(ERROR_SUCCESS));
        RegCloseKey(key);
    }
};

TEST_F(SettingsTest, KeyIsFormedFromCompanyAndBaseName) {
    EXPECT_EQ(GetSettingsKey(nullptr), "software\\Belmar\\Quorvia");
    EXPECT_EQ(GetSettingsKey(""), "software\\Belmar\\Quorvia");
    EXPECT_EQ(GetSettingsKey("Window"), "software\\Belmar\\Quorvia\\Window");
    // The base name is derived once per company; a new company derives it again.
    qv::platform::SetModuleFileNameForTesting("/usr/bin/a.b.exe");
    EXPECT_EQ(GetSettingsKey(nullptr), "software\\Belmar\\Quorvia");
    SetSettingsCompany("Other Co");
    EXPECT_EQ(GetSettingsKey(nullptr), "software\\Other Co\\a");
    qv::platform::SetModuleFileNameForTesting("C:\\Apps\\noext");
    SetSettingsCompany("X");
    EXPECT_EQ(GetSettingsKey(nullptr), "software\\X\\noext");
}

TEST_F(SettingsTest, WritingCreatesTheWholePath) {
    ASSERT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, "software\\Belmar"));
    EXPECT_TRUE(WriteSettingString(nullptr, "User", "alice"));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, "Software\\BELMAR"));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, "software\\Belmar\\Quorvia", "user"));
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, "software\\Belmar\\Quorvia", "Pass"));
    EXPECT_EQ(GetSettingString(nullptr, "User", "x"), "alice");
    EXPECT_NE(ReadFile(UserReg()).find(
                  "[HKEY_CURRENT_USER\\software\\Belmar\\Quorvia]\n\"User\"=\"alice\""),
              std::string::npos);
}

TEST_F(SettingsTest, IntegersAsDwordsIncludingNegatives) {
    EXPECT_EQ(GetSettingInt(nullptr, "Timeout", 5), 5);
    for (int v : {0, 120, -1, -64, INT_MIN, INT_MAX}) {
        ASSERT_TRUE(WriteSettingInt(nullptr, "Timeout", v));
        EXPECT_EQ(GetSettingInt(nullptr, "Timeout", 5), v);
    }
    ASSERT_TRUE(WriteSettingInt(nullptr, "XPosition", -2));
    EXPECT_NE(ReadFile(UserReg()).find("\"XPosition\"=dword:fffffffe"), std::string::npos);
    EXPECT_EQ(GetSettingString(nullptr, "XPosition", ""), "-2");
}

TEST_F(SettingsTest, IntegerReadsScanLikePercentD) {
    const struct {
        const char* stored;
        int expected;
    } cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {"  \t-7", -7},
        {"+9", 9},
        {"- 5", 0},
        {"", 0},
        {"0x1F", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"4294967295", -1},
        {"99999999999", int(99999999999ll & 0xFFFFFFFF)},
    };
    for (const auto& c : cases) {
        SetRaw("Autolog", REG_SZ, qv::test::TerminatedBytes(c.stored));
        EXPECT_EQ(GetSettingInt(nullptr, "Autolog", 77), c.expected) << c.stored;
    }
}

TEST_F(SettingsTest, TypeConversionsOnRead) {
    SetRaw("bin2", REG_BINARY, {0x34, 0x12});
    EXPECT_EQ(GetSettingInt(nullptr, "bin2", 0), 4660);
    SetRaw("bin4", REG_BINARY, {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(GetSettingString(nullptr, "bin4", "d"), "-1");
    SetRaw("bin5", REG_BINARY, {1, 2, 3, 4, 5});
    EXPECT_EQ(GetSettingString(nullptr, "bin5", "d"), "d");
    EXPECT_EQ(GetSettingInt(nullptr, "bin5", 9), 9);
    SetRaw("dw", REG_DWORD, {7, 0, 0, 0});
    EXPECT_EQ(GetSettingString(nullptr, "dw", ""), "7");
    SetRaw("multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
    EXPECT_EQ(GetSettingString(nullptr, "multi", ""), "a\xFF"
                                                      "b\xFF");
    SetRaw("exp", REG_EXPAND_SZ, qv::test::TerminatedBytes("%HOME%/x"));
    EXPECT_EQ(GetSettingString(nullptr, "exp", ""), "%HOME%/x") << "not expanded";
    SetRaw("unterminated", REG_SZ, {'a', 'b', 'c'});
    EXPECT_EQ(GetSettingString(nullptr, "unterminated", ""), "abc");
    std::vector<BYTE> full(2048, 'z');
    SetRaw("full", REG_SZ, full);
    EXPECT_EQ(GetSettingString(nullptr, "full", ""), std::string(2048, 'z'))
        << "2048 bytes without a terminator fit and are bounded by the length";
    for (DWORD type : {REG_NONE, REG_DWORD_BIG_ENDIAN, REG_LINK, REG_QWORD}) {
        SetRaw("other", type, {1, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_EQ(GetSettingString(nullptr, "other", "dflt"), "dflt") << type;
    }
}

TEST_F(SettingsTest, LongStringsReadAsTheDefault) {
    ASSERT_TRUE(WriteSettingString(nullptr, "Adrs", std::string(2047, 'a').c_str()));
    EXPECT_EQ(GetSettingString(nullptr, "Adrs", "d").size(), 2047u);
    ASSERT_TRUE(WriteSettingString(nullptr, "Adrs", std::string(2048, 'a').c_str()));
    EXPECT_EQ(GetSettingString(nullptr, "Adrs", "d"), "d");
}

TEST_F(SettingsTest, RegistryTextWritesByType) {
    const char* key = "Software\\Test";
    EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER,
                                  "a\xFF"
                                  "b\xFF",
                                  key, "m", REG_MULTI_SZ));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, key, "m", ""), "a\xFF"
                                                                 "b\xFF");
    EXPECT_NE(ReadFile(UserReg()).find("\"m\"=hex(7):61,00,62,00,00"), std::string::npos);
    EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "12abc", key, "d", REG_DWORD));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, key, "d", ""), "12");
    EXPECT_FALSE(WriteRegistryText(HKEY_CURRENT_USER, "x", key, "b", REG_BINARY));
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, key, "b"));
    EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "", key, "", REG_SZ));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, key, ""));
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, key, "d"));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_CURRENT_USER, key, "d"));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_CURRENT_USER, "Software\\Nope", "d"));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, "Software\\Nope", "d", "dflt"), "dflt");
}

TEST_F(SettingsTest, ProfileFileWithoutCompany) {
    qv::platform::SetModuleFileNameForTesting("/usr/bin/a.b.exe");
    SetSettingsCompany("");
    EXPECT_EQ(GetSettingsKey(nullptr), "");
    EXPECT_TRUE(WriteSettingString(nullptr, "User", "bob"));
    EXPECT_TRUE(WriteSettingInt(nullptr, "Timeout", -12));
    EXPECT_EQ(GetSettingString(nullptr, "User", "x"), "bob");
    EXPECT_EQ(GetSettingInt(nullptr, "Timeout", 5), -12);
    EXPECT_EQ(GetSettingInt(nullptr, "Absent", 5), 5);
    EXPECT_EQ(ReadFile(root_ + "/quorvia/a.ini"),
              std::string("[") + kProfileSection + "]\nUser=bob\nTimeout=-12\n");
    EXPECT_FALSE(std::filesystem::exists(UserReg())) << "the registry is not touched";
}

TEST(Scramble, KnownVectors) {
    // The keystream: seed*214013+2531011 mod 2^32, bits 16 and up; 41 and
    // 18467 from seed 1, 0x3A3D and 0x014C from kPasswordSeed.
    // 'A' 0x41 ^ 41 (0x29) = 0x0068; 0xE4 sign-extends to 0xFFFFFFE4, ^ 18467 (0x4823) -> 0xB7C7.
    EXPECT_EQ(ScramblePassword("A\xE4", 1), "0068b7c7");
    // 'p' 0x70 ^ 0x3A3D = 0x3A4D; 0xFFFFFFE4 ^ 0x014C -> 0xFEA8 (the stored
    // setting's test); upper case digits read too.
    EXPECT_EQ(UnscramblePassword("3A4DFEA8", kPasswordSeed), "p\xE4");
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
