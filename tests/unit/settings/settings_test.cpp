#include "temp_settings.h"

#include <climits>
#include <cstdio>

namespace {

std::vector<BYTE> Text(std::string_view s) {
    std::vector<BYTE> d(s.begin(), s.end());
    d.push_back(0);
    return d;
}

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
        SetRaw("Autolog", REG_SZ, Text(c.stored));
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
    SetRaw("exp", REG_EXPAND_SZ, Text("%HOME%/x"));
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

TEST_F(SettingsTest, AutostartEntryThroughTheRunKey) {
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, run, "Quorvia"));
    EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, "\"/opt/quorvia/bin/quorvia\"", run, "Quorvia",
                                  REG_SZ));
    EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, run, "Quorvia"));
    EXPECT_TRUE(std::filesystem::exists(root_ + "/autostart/Quorvia.desktop"));
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, run, "Quorvia"));
    EXPECT_FALSE(std::filesystem::exists(root_ + "/autostart/Quorvia.desktop"));
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

TEST_F(SettingsTest, FactoryAddressFormatsAsDottedQuad) {
    const auto ip = static_cast<unsigned>(GetSettingInt(nullptr, "IP", kDefaultPabxAddress));
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 255, (ip >> 8) & 255,
                  ip & 255);
    EXPECT_STREQ(text, "192.168.0.240");
}

} // namespace
