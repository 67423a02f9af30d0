// The language rule: which copy of a resource a user gets.
#include "localized/localized_resources.h"
#include "platform/module/langid.h"
#include "platform/module/res_image.h"
#include "rc/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace qv::restest;

TEST(LanguageChoiceTest, ExactElseSmallestSublanguageElseSmallestLanguage) {
    const std::vector<LANGID> shipped = {0x0000, 0x0407, 0x040C, 0x0413};
    const struct {
        LANGID wanted;
        std::vector<LANGID> present;
        LANGID best;
        DWORD state;
    } cases[] = {
        // The exact language is final: a smaller sublanguage seen later changes nothing.
        {0x0807, {0x0000, 0x0407, 0x0807, 0x0C07}, 0x0807, 2},
        {0x0C07, {0x0C07, 0x0807}, 0x0C07, 2},
        // Else the smallest sublanguage of the primary language, in any order.
        {0x0407, {0x0000, 0x0807, 0x0C07}, 0x0807, 1},
        {0x0407, {0x0C07, 0x0807}, 0x0807, 1},
        {0x0807, shipped, 0x0407, 1},
        {0x080C, shipped, 0x040C, 1},
        {0x0813, shipped, 0x0413, 1},
        // Else the smallest language present.
        {0x0409, shipped, 0x0000, 0},
        {0x0411, {0x0407}, 0x0407, 0},
        {0x0407, {0x040C, 0x0409}, 0x0409, 0},
        {0x0407, {}, 0xFFFF, 0}, // nothing chosen
    };
    for (const auto& c : cases) {
        LanguageChoice choice;
        choice.wanted = c.wanted;
        for (LANGID language : c.present)
            ChooseLanguage(choice, language);
        EXPECT_EQ(choice.best, c.best) << std::hex << c.wanted;
        EXPECT_EQ(choice.state, c.state) << std::hex << c.wanted;
    }
}

// The shipped resources for users of every sublanguage: the copy in the
// user's language where there is one, else the smallest language present
// (the neutral copy, where there is one).
TEST(LocalizedLookupTest, ShippedResourcesComeInTheUsersLanguageElseTheSmallestPresent) {
    ScopedResources resources(RealModule());
    HMODULE module = RealModule();
    std::map<std::pair<WORD, WORD>, std::set<LANGID>> shipped;
    for (const auto& entry : module->resources->Entries())
        if (entry.name.isOrdinal)
            shipped[{entry.type.ordinal, entry.name.ordinal}].insert(entry.language);
    ASSERT_GE(shipped.size(), 10u);
    for (const auto& [resource, present] : shipped) {
        const auto [type, name] = resource;
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
    const struct {
        const char* locale;
        WORD name;
        const char* text;
    } cases[] = {
        {kGerman.name, 500, "de-CH"}, // smallest of the user's sublanguages
        {kGerman.name, 501, "en-US"}, // smallest language present
        {kGerman.name, 502, "de-AT"}, // the user's language before neutral
        {"de_AT.UTF-8", 500, "de-AT"},         {kBelgianFrench.name, 501, "fr-FR"},
        {kBelgianFrench.name, 502, "neutral"}, {kJapanese.name, 500, "de-CH"},
        {kJapanese.name, 503, "<missing>"},
    };
    for (const auto& c : cases) {
        ScopedLocale user(c.locale);
        EXPECT_EQ(FixtureText(c.name), c.text) << c.locale << " " << c.name;
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
