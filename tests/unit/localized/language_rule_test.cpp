// The language rule: which copy of a resource a user gets.
#include "localized/localized_resources.h"
#include "platform/module/langid.h"
#include "platform/module/res_image.h"
#include "rc/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <set>
#include <string>

namespace {

using namespace qv::restest;

LANGID Choose(LANGID wanted, std::initializer_list<LANGID> languages, DWORD* state = nullptr) {
    LanguageChoice choice;
    choice.wanted = wanted;
    for (LANGID language : languages)
        ChooseLanguage(choice, language);
    if (state)
        *state = choice.state;
    return choice.best;
}

TEST(LanguageChoiceTest, StartsWithNothingChosen) {
    const LanguageChoice choice;
    EXPECT_EQ(choice.state, 0u);
    EXPECT_EQ(choice.best, 0xFFFF);
}

TEST(LanguageChoiceTest, ExactLanguageWinsAndIsFinal) {
    DWORD state = 0;
    EXPECT_EQ(Choose(0x0807, {0x0000, 0x0407, 0x0807, 0x0C07}, &state), 0x0807);
    EXPECT_EQ(state, 2u);
    // Once exact, a smaller sublanguage seen later changes nothing.
    EXPECT_EQ(Choose(0x0C07, {0x0C07, 0x0807}, &state), 0x0C07);
    EXPECT_EQ(state, 2u);
}

TEST(LanguageChoiceTest, SmallestSublanguageOfThePrimaryLanguage) {
    DWORD state = 0;
    EXPECT_EQ(Choose(0x0407, {0x0000, 0x0807, 0x0C07}, &state), 0x0807);
    EXPECT_EQ(state, 1u);
    EXPECT_EQ(Choose(0x0807, {0x0000, 0x0407, 0x040C, 0x0413}), 0x0407);
    EXPECT_EQ(Choose(0x080C, {0x0000, 0x0407, 0x040C, 0x0413}), 0x040C);
    EXPECT_EQ(Choose(0x0813, {0x0000, 0x0407, 0x040C, 0x0413}), 0x0413);
    // Out of order the smaller one still wins.
    EXPECT_EQ(Choose(0x0407, {0x0C07, 0x0807}), 0x0807);
}

TEST(LanguageChoiceTest, OtherwiseTheSmallestLanguagePresent) {
    DWORD state = 0;
    EXPECT_EQ(Choose(0x0409, {0x0000, 0x0407, 0x040C, 0x0413}, &state), 0x0000);
    EXPECT_EQ(state, 0u);
    EXPECT_EQ(Choose(0x0411, {0x0407}), 0x0407);
    EXPECT_EQ(Choose(0x0407, {0x040C, 0x0409}), 0x0409);
    EXPECT_EQ(Choose(0x0407, {}), 0xFFFF);
}

TEST(LocalizedLookupTest, LocalesMapToTheExpectedLanguageIds) {
    // The rest of these tests rely on this mapping.
    for (const Locale& locale : {kGerman, kSwissGerman, kFrench, kBelgianFrench, kDutch,
                                 kBelgianDutch, kUsEnglish, kJapanese}) {
        ScopedLocale user(locale.name);
        EXPECT_EQ(GetUserDefaultLangID(), locale.id) << locale.name;
    }
}

// The shipped resources for users of every sublanguage: the copy in the
// user's language where there is one, else the smallest language present
// (the neutral copy, where there is one).
TEST(LocalizedLookupTest, ShippedResourcesComeInTheUsersLanguageElseTheSmallestPresent) {
    ScopedResources resources(RealModule());
    HMODULE module = RealModule();
    const std::pair<WORD, WORD> shipped[] = {
        {RT_MENU_ID, IDR_TRAY_MENU},       {RT_DIALOG_ID, IDD_CONFIG_DIALOG},
        {RT_DIALOG_ID, IDD_INFO_DIALOG},   {RT_DIALOG_ID, IDD_BROWSER_DIALOG},
        {RT_DIALOG_ID, IDD_POPUP_BROWSER}, {RT_GROUP_ICON_ID, IDR_MAINFRAME}};
    for (auto [type, name] : shipped) {
        std::set<LANGID> present;
        for (const auto& entry : module->resources->Entries())
            if (entry.type.ordinal == type && entry.name.isOrdinal && entry.name.ordinal == name)
                present.insert(entry.language);
        ASSERT_FALSE(present.empty()) << name;
        for (const Locale& locale : {kGerman, kSwissGerman, kFrench, kBelgianFrench, kDutch,
                                     kBelgianDutch, kUsEnglish, kJapanese}) {
            ScopedLocale user(locale.name);
            LANGID expected = *present.begin();
            for (LANGID language : present)
                if (language && PRIMARYLANGID(language) == PRIMARYLANGID(locale.id))
                    expected = language;
            HRSRC want =
                FindResourceExA(module, MAKEINTRESOURCEA(type), MAKEINTRESOURCEA(name), expected);
            DWORD size = 0;
            EXPECT_EQ(FindLocalizedResource(MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type), &size),
                      LoadResource(module, want))
                << name << " for " << locale.name;
            EXPECT_EQ(size, SizeofResource(module, want));
        }
    }
    ScopedLocale user(kSwissGerman.name);
    HMENU menu = LoadLocalizedMenu(IDR_TRAY_MENU);
    EXPECT_NE(menu, nullptr);
    DestroyMenu(menu);
}

std::string FixtureText(WORD name) {
    const auto data = LockLocalizedBytes(name, 300);
    std::string text;
    for (BYTE byte : data)
        if (byte)
            text.push_back(char(byte));
    return data.empty() ? "<missing>" : text;
}

TEST(LocalizedLookupTest, SublanguagesAndMissingLanguages) {
    ScopedResources resources(FixtureModule());
    {
        ScopedLocale user(kGerman.name);
        EXPECT_EQ(FixtureText(500), "de-CH"); // smallest of the user's sublanguages
        EXPECT_EQ(FixtureText(501), "en-US"); // smallest language present
        EXPECT_EQ(FixtureText(502), "de-AT"); // the user's language before neutral
    }
    {
        ScopedLocale user("de_AT.UTF-8");
        EXPECT_EQ(FixtureText(500), "de-AT");
    }
    {
        ScopedLocale user(kBelgianFrench.name);
        EXPECT_EQ(FixtureText(501), "fr-FR");
        EXPECT_EQ(FixtureText(502), "neutral");
    }
    {
        ScopedLocale user(kJapanese.name);
        EXPECT_EQ(FixtureText(500), "de-CH");
        EXPECT_EQ(FixtureText(503), "<missing>");
    }
}

TEST(LocalizedLookupTest, MissingResourceLeavesTheSizeAlone) {
    ScopedResources resources(RealModule());
    ScopedLocale user(kGerman.name);
    DWORD size = 1234;
    EXPECT_EQ(FindLocalizedResource(MAKEINTRESOURCEA(999), MAKEINTRESOURCEA(RT_DIALOG_ID), &size),
              nullptr);
    EXPECT_EQ(size, 1234u);
    EXPECT_EQ(FindLocalizedResource(MAKEINTRESOURCEA(IDD_CONFIG_DIALOG),
                                    MAKEINTRESOURCEA(RT_MENU_ID), nullptr),
              nullptr);
    EXPECT_EQ(LoadLocalizedMenu(999), nullptr);
}

} // namespace
