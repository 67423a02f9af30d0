#include "platform/module/lasterror.h"
#include "platform/module/resources.h"
#include "test_support.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using qv::test::FixtureModule;
using qv::test::ScopedLocale;

const LPCSTR kRcData = MAKEINTRESOURCEA(10);
const LPCSTR kMenu = MAKEINTRESOURCEA(RT_MENU_ID);
const LPCSTR kString = MAKEINTRESOURCEA(RT_STRING_ID);

BOOL Collect(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

BOOL StopAtFirst(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return FALSE;
}

// Text of a resource found by FindResourceExA, "" when missing.
std::string FoundText(LPCSTR type, WORD name, WORD language, HMODULE module = nullptr) {
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(name), language);
    if (!found)
        return "";
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

std::string LoadString(UINT id, int size = 256) {
    std::vector<char> buffer(size > 0 ? size : 1, 'x');
    const int copied = LoadStringA(nullptr, id, buffer.data(), size);
    EXPECT_EQ(std::strlen(buffer.data()), static_cast<std::size_t>(copied));
    return std::string(buffer.data(), copied);
}

TEST(Resources, EnumeratesLanguagesAscendingAndStopsWhenAsked) {
    FixtureModule module;
    std::vector<WORD> languages;
    ASSERT_TRUE(EnumResourceLanguagesA(module.get(), kString, MAKEINTRESOURCEA(1), Collect,
                                       reinterpret_cast<LONG_PTR>(&languages)));
    EXPECT_EQ(languages, (std::vector<WORD>{0x0000, 0x0407, 0x040C, 0x0807}));

    languages.clear();
    EXPECT_FALSE(EnumResourceLanguagesA(module.get(), kString, MAKEINTRESOURCEA(1), StopAtFirst,
                                        reinterpret_cast<LONG_PTR>(&languages)));
    EXPECT_EQ(languages, std::vector<WORD>{0x0000});
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_ENUM_USER_STOP);

    languages.clear();
    EXPECT_FALSE(EnumResourceLanguagesA(module.get(), kMenu, MAKEINTRESOURCEA(118), Collect,
                                        reinterpret_cast<LONG_PTR>(&languages)));
    EXPECT_TRUE(languages.empty());
    EXPECT_FALSE(EnumResourceLanguagesA(nullptr, kMenu, MAKEINTRESOURCEA(119), nullptr, 0));
}

TEST(Resources, FindFallsBackToPrimaryThenNeutral) {
    FixtureModule module;
    ScopedLocale locale("en_US.UTF-8");
    // RCDATA 250 exists in 0x0007 and 0x0407 only.
    EXPECT_EQ(FoundText(kRcData, 250, 0x0407), "de-DE");
    EXPECT_EQ(FoundText(kRcData, 250, 0x0807), "de-neutral");
    EXPECT_EQ(FoundText(kRcData, 250, 0x0007), "de-neutral");
    EXPECT_EQ(FoundText(kRcData, 250, 0x040C), "");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    EXPECT_EQ(FoundText(kRcData, 251, 0x0407), "");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);

    // Menu 119 is neutral and German: any other language gets the neutral copy.
    HRSRC neutral = FindResourceExA(nullptr, kMenu, MAKEINTRESOURCEA(119), 0);
    ASSERT_NE(neutral, nullptr);
    EXPECT_EQ(FindResourceExA(nullptr, kMenu, MAKEINTRESOURCEA(119), 0x0411), neutral);
    EXPECT_EQ(FindResourceExA(nullptr, kMenu, MAKEINTRESOURCEA(119), 0x0409), neutral);
    HRSRC german = FindResourceExA(nullptr, kMenu, MAKEINTRESOURCEA(119), 0x0407);
    ASSERT_NE(german, nullptr);
    EXPECT_NE(german, neutral);
    EXPECT_EQ(german->language, 0x0407);
}

TEST(Resources, NeutralRequestWithoutNeutralCopyTakesUsersLanguageElseLowest) {
    FixtureModule module;
    {
        ScopedLocale locale("de_DE.UTF-8");
        EXPECT_EQ(FoundText(kRcData, 250, 0), "de-DE");
    }
    {
        ScopedLocale locale("fr_FR.UTF-8");
        EXPECT_EQ(FoundText(kRcData, 250, 0), "de-neutral");
        // The icon group exists in German only; everyone finds it.
        HRSRC group =
            FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_GROUP_ICON_ID), MAKEINTRESOURCEA(5), 0);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->language, 0x0407);
    }
}

TEST(Resources, NamesByStringAndHashNumber) {
    FixtureModule module;
    EXPECT_EQ(FoundText("mytype", 0, 0), ""); // name 0 does not exist
    HRSRC greeting = FindResourceExA(nullptr, "MyType", "greeting", 0);
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, greeting), 4u);
    EXPECT_STREQ(static_cast<const char*>(LockResource(LoadResource(nullptr, greeting))), "hi!");
    EXPECT_NE(FindResourceExA(nullptr, "#4", "#119", 0x0407), nullptr);
}

TEST(Resources, WithoutAResourceHandleNothingIsFound) {
    ASSERT_EQ(AfxGetResourceHandle(), nullptr);
    EXPECT_EQ(FindResourceExA(nullptr, kMenu, MAKEINTRESOURCEA(119), 0), nullptr);
    char buffer[8] = "x";
    EXPECT_EQ(LoadStringA(nullptr, 1, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(Resources, LoadStringFollowsTheUsersLanguage) {
    FixtureModule module;
    struct Case {
        const char* locale;
        const char* text;
    };
    for (const Case& c : {Case{"de_DE.UTF-8", "Hallo"}, Case{"de_CH.UTF-8", "Grüezi"},
                          Case{"de_AT.UTF-8", "Hallo"}, Case{"fr_FR", "Bonjour"},
                          Case{"fr_BE", "Bonjour"}, Case{"C", "Hello"}, Case{"ja_JP", "Hello"}}) {
        ScopedLocale locale(c.locale);
        EXPECT_EQ(LoadString(1), c.text) << c.locale;
    }
    ScopedLocale locale(std::nullopt, std::nullopt, "de_DE.UTF-8");
    EXPECT_EQ(LoadString(17), "Siebzehn");
    EXPECT_EQ(LoadString(1026), "Datei: %s\nFehler: %s");
    // The German block is found, and it has no string 2: no per-string fallback.
    EXPECT_EQ(LoadString(2), "");
    EXPECT_EQ(LoadString(3), "");
    EXPECT_EQ(LoadString(5000), "");
}

TEST(Resources, LoadStringCutsOnCharacterBoundaries) {
    FixtureModule module;
    ScopedLocale locale("en_US.UTF-8");
    const std::string full = "Grüße €😀"; // 15 bytes, ends in a 4-byte character
    EXPECT_EQ(LoadString(20), full);
    EXPECT_EQ(LoadString(20, 16), full);
    EXPECT_EQ(LoadString(20, 15), "Grüße €");
    EXPECT_EQ(LoadString(20, 11), "Grüße ");
    EXPECT_EQ(LoadString(20, 4), "Gr");
    EXPECT_EQ(LoadString(21), "Line one\nLine two");

    char one[1] = {'x'};
    EXPECT_EQ(LoadStringA(nullptr, 20, one, 1), 0);
    EXPECT_EQ(one[0], '\0');
    char untouched[4] = "abc";
    EXPECT_EQ(LoadStringA(nullptr, 20, untouched, 0), 0);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(LoadStringA(nullptr, 20, nullptr, 10), 0);
}

TEST(Resources, StringBlocksCutShortAreRefused) {
    const std::vector<BYTE> block = {2, 0, 'a', 0, 'b', 0, 0, 0, 1, 0, 'c', 0};
    EXPECT_EQ(qv::platform::StringFromBlock(block, 0), u"ab");
    EXPECT_EQ(qv::platform::StringFromBlock(block, 1), u"");
    EXPECT_EQ(qv::platform::StringFromBlock(block, 2), u"c");
    EXPECT_EQ(qv::platform::StringFromBlock(block, 3), std::nullopt);
    EXPECT_EQ(qv::platform::StringFromBlock(std::span(block).first(11), 2), std::nullopt);
    const std::vector<BYTE> huge = {0xFF, 0xFF, 'a', 0};
    EXPECT_EQ(qv::platform::StringFromBlock(huge, 0), std::nullopt);
}

TEST(Resources, ModulesRefuseGarbageAndACopyOutlivesTheCallersBytes) {
    const std::vector<std::byte> garbage(64, std::byte{0x41});
    EXPECT_EQ(qv::platform::LoadResourceModule(garbage), nullptr);
    auto bytes = qv::test::ReadFixtureRes();
    auto module = qv::platform::LoadResourceModuleCopy(bytes, "/opt/quorvia/quorvia");
    ASSERT_NE(module, nullptr);
    bytes.assign(bytes.size(), std::byte{0xAA});
    EXPECT_EQ(module->path, "/opt/quorvia/quorvia");
    EXPECT_EQ(FoundText(kRcData, 250, 0x0407, module.get()), "de-DE");
}

} // namespace
