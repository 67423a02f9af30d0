// The language rule: which copy of a resource a user gets.
#include "localized/localized_resources.h"
#include "platform/module/dialog_template.h"
#include "platform/module/langid.h"
#include "rc/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <initializer_list>
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

std::string MenuItemText(const Locale& locale) {
    ScopedLocale user(locale.name);
    HMENU menu = LoadLocalizedMenu(IDR_TRAY_MENU);
    if (!menu)
        return "<no menu>";
    std::string text = "<bad menu>";
    HMENU popup = GetSubMenu(menu, 0);
    if (GetMenuItemCount(menu) == 1 && popup && GetMenuItemCount(popup) == 1 &&
        GetMenuItemID(popup, 0) == 1) {
        char buffer[64] = {};
        GetMenuStringA(popup, 0, buffer, sizeof buffer, MF_BYPOSITION);
        text = buffer;
    }
    DestroyMenu(menu);
    return text;
}

TEST(LocalizedLookupTest, MenuInTheUsersLanguageOfAnySublanguage) {
    ScopedResources resources(RealModule());
    for (const Locale& locale : {kGerman, kSwissGerman})
        EXPECT_EQ(MenuItemText(locale), "&Beenden") << locale.name;
    for (const Locale& locale : {kFrench, kBelgianFrench})
        EXPECT_EQ(MenuItemText(locale), "&Quitter") << locale.name;
    for (const Locale& locale : {kDutch, kBelgianDutch})
        EXPECT_EQ(MenuItemText(locale), "&Beëindigen") << locale.name;
    for (const Locale& locale : {kUsEnglish, kJapanese})
        EXPECT_EQ(MenuItemText(locale), "&Quit") << locale.name;
}

TEST(LocalizedLookupTest, LocalesMapToTheExpectedLanguageIds) {
    // The rest of these tests rely on this mapping.
    for (const Locale& locale : {kGerman, kSwissGerman, kFrench, kBelgianFrench, kDutch,
                                 kBelgianDutch, kUsEnglish, kJapanese}) {
        ScopedLocale user(locale.name);
        EXPECT_EQ(GetUserDefaultLangID(), locale.id) << locale.name;
    }
}

std::string DialogCaption(WORD id) {
    const auto data = LockLocalizedBytes(id, RT_DIALOG_ID);
    const auto parsed = qv::platform::ParseDialogTemplate(data.data(), data.size());
    return parsed ? parsed->caption : "<none>";
}

TEST(LocalizedLookupTest, NeutralOnlyTemplatesServeEveryone) {
    ScopedResources resources(RealModule());
    for (const Locale& locale : {kGerman, kBelgianFrench, kDutch, kJapanese}) {
        ScopedLocale user(locale.name);
        EXPECT_EQ(DialogCaption(IDD_INFO_DIALOG), "Info") << locale.name;
        EXPECT_EQ(DialogCaption(IDD_BROWSER_DIALOG), "Quorvia Browser") << locale.name;
        EXPECT_EQ(DialogCaption(IDD_POPUP_BROWSER), "") << locale.name;
        EXPECT_EQ(DialogCaption(IDD_CONFIG_DIALOG), locale.id == 0x0407   ? "Konfiguration"
                                                    : locale.id == 0x0413 ? "Configuratie"
                                                                          : "Configuration")
            << locale.name;
    }
}

TEST(LocalizedLookupTest, IconGroupComesFromGermanForEveryone) {
    ScopedResources resources(RealModule());
    HMODULE module = RealModule();
    HRSRC german = FindResourceExA(module, MAKEINTRESOURCEA(RT_GROUP_ICON_ID),
                                   MAKEINTRESOURCEA(IDR_MAINFRAME), 0x0407);
    ASSERT_NE(german, nullptr);
    for (const Locale& locale : {kUsEnglish, kJapanese, kFrench, kBelgianDutch, kSwissGerman}) {
        ScopedLocale user(locale.name);
        DWORD size = 0;
        HGLOBAL group = FindLocalizedResource(MAKEINTRESOURCEA(IDR_MAINFRAME),
                                              MAKEINTRESOURCEA(RT_GROUP_ICON_ID), &size);
        EXPECT_EQ(group, LoadResource(module, german)) << locale.name;
        EXPECT_EQ(size, SizeofResource(module, german));
    }
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
