#include "platform/module/langid.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using qv::platform::LangIdFromLocaleName;
using qv::platform::UserUiLocaleName;
using qv::test::FixtureModule;
using qv::test::ScopedLocale;

struct Mapping {
    const char* locale;
    LANGID id;
};

void ExpectMappings(std::initializer_list<Mapping> mappings) {
    for (const auto& m : mappings)
        EXPECT_EQ(LangIdFromLocaleName(m.locale), m.id) << m.locale;
}

TEST(LangId, EverySublanguageOfTheShippedLanguages) {
    ExpectMappings({{"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
                    {"de_LI", 0x1407}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
                    {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr_MC", 0x180C}, {"nl_NL", 0x0413},
                    {"nl_BE", 0x0813}, {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09},
                    {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09},
                    {"en_IN", 0x4009}});
}

TEST(LangId, BareLanguagesAndUnknownRegionsTakeTheHomeCountry) {
    ExpectMappings({{"de", 0x0407},
                    {"fr", 0x040C},
                    {"nl", 0x0413},
                    {"en", 0x0409},
                    {"de_BE", 0x0407},
                    {"fr_SN", 0x040C},
                    {"nl_SR", 0x0413},
                    {"en_XX", 0x0409},
                    {"pt", 0x0816},
                    {"zh", 0x0804},
                    {"es", 0x0C0A}});
}

TEST(LangId, CommonOtherLanguages) {
    ExpectMappings({{"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"it_IT", 0x0410},
                    {"it_CH", 0x0810}, {"pt_PT", 0x0816}, {"pt_BR", 0x0416}, {"ja_JP", 0x0411},
                    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"ko_KR", 0x0412},
                    {"ru_RU", 0x0419}, {"pl_PL", 0x0415}, {"cs_CZ", 0x0405}, {"sv_SE", 0x041D},
                    {"sv_FI", 0x081D}, {"da_DK", 0x0406}, {"nb_NO", 0x0414}, {"no_NO", 0x0414},
                    {"nn_NO", 0x0814}, {"fi_FI", 0x040B}, {"tr_TR", 0x041F}, {"el_GR", 0x0408},
                    {"hu_HU", 0x040E}, {"uk_UA", 0x0422}, {"he_IL", 0x040D}, {"ar_EG", 0x0C01},
                    {"fil_PH", 0x0464}});
}

TEST(LangId, SuffixesCaseAndSeparators) {
    ExpectMappings({{"de_CH.UTF-8", 0x0807},
                    {"nl_BE@euro", 0x0813},
                    {"fr_BE.ISO-8859-1@euro", 0x080C},
                    {"de-CH", 0x0807},
                    {"DE_ch", 0x0807},
                    {"zh-Hant", 0x0404},
                    {"zh-Hans", 0x0804},
                    {"zh-Hant-HK", 0x0C04},
                    {"sr_RS", 0x281A},
                    {"sr_RS@latin", 0x241A},
                    {"sr-Latn-ME", 0x2C1A},
                    {"uz_UZ", 0x0443},
                    {"uz_UZ@cyrillic", 0x0843},
                    {"ca_ES@valencia", 0x0803},
                    {"ca_ES", 0x0403}});
}

TEST(LangId, UnknownOrPosixIsUsEnglish) {
    ExpectMappings({{"C", 0x0409},
                    {"POSIX", 0x0409},
                    {"C.UTF-8", 0x0409},
                    {"", 0x0409},
                    {"xx_YY", 0x0409},
                    {"klingon", 0x0409},
                    {"_DE", 0x0409},
                    {"@euro", 0x0409},
                    {".UTF-8", 0x0409}});
}

TEST(LangId, UserDefaultTakesTheFirstNonEmptyVariable) {
    {
        ScopedLocale locale("fr_CA.UTF-8", "de_DE.UTF-8", "nl_NL.UTF-8");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0C0C);
    }
    {
        ScopedLocale locale("", "de_AT.UTF-8", "nl_NL.UTF-8");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0C07);
    }
    {
        ScopedLocale locale(std::nullopt, "", "nl_BE.UTF-8");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0813);
    }
    {
        ScopedLocale locale(std::nullopt, std::nullopt, std::nullopt);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    }
    {
        ScopedLocale locale("C");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    }
}

TEST(LangId, LanguageListComesFirstExceptInTheCLocale) {
    {
        ScopedLocale locale("fr_FR.UTF-8", std::nullopt, std::nullopt, "de_AT:nl");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0C07);
    }
    {
        // C.UTF-8 is not the C locale: the list counts.
        ScopedLocale locale(std::nullopt, std::nullopt, "C.UTF-8", "nl_BE");
        EXPECT_EQ(UserUiLocaleName(), "nl_BE");
    }
    for (const char* c : {"C", "POSIX"}) {
        ScopedLocale locale(std::nullopt, c, "de_DE.UTF-8", "nl");
        EXPECT_EQ(UserUiLocaleName(), c);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    }
    {
        ScopedLocale locale(std::nullopt, std::nullopt, std::nullopt, "de");
        EXPECT_EQ(UserUiLocaleName(), "C");
    }
    {
        // Nothing known in the list: as if it were not set.
        ScopedLocale locale(std::nullopt, std::nullopt, "nl_NL.UTF-8", "::klingon:");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0413);
    }
}

TEST(LangId, TheFirstListedLanguageWithTextsWins) {
    // The fixture has strings in the neutral copy (English), German and French.
    FixtureModule module;
    const auto chosen = [](const char* list) {
        ScopedLocale locale(std::nullopt, std::nullopt, "nl_NL.UTF-8", list);
        return UserUiLocaleName();
    };
    EXPECT_EQ(chosen("es:it:fr_BE:de"), "fr_BE");
    EXPECT_EQ(chosen("es_MX:en_GB:de"), "en_GB");
    // None with texts: the first one still decides, not LANG.
    EXPECT_EQ(chosen("es_MX:it"), "es_MX");
}

} // namespace
