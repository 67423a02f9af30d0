#include "platform/module/langid.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using qv::platform::LangIdFromLocaleName;
using qv::platform::UserUiLocaleName;
using qv::test::FixtureModule;
using qv::test::ScopedLocale;

TEST(LangId, LocaleNamesMapToWindowsIds) {
    // Every sublanguage of the shipped languages, bare languages and unknown
    // regions (the home country), common other languages, and unknown or
    // POSIX names (US English); then suffixes, case, separators and scripts.
    using Table = std::vector<std::pair<const char*, LANGID>>;
    const Table names = {
        {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
        {"de_LI", 0x1407}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
        {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr_MC", 0x180C}, {"nl_NL", 0x0413},
        {"nl_BE", 0x0813}, {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09},
        {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09},
        {"en_IN", 0x4009}, {"de", 0x0407},    {"fr", 0x040C},    {"nl", 0x0413},
        {"en", 0x0409},    {"de_BE", 0x0407}, {"fr_SN", 0x040C}, {"nl_SR", 0x0413},
        {"en_XX", 0x0409}, {"pt", 0x0816},    {"zh", 0x0804},    {"es", 0x0C0A},
        {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"it_IT", 0x0410},
        {"it_CH", 0x0810}, {"pt_PT", 0x0816}, {"pt_BR", 0x0416}, {"ja_JP", 0x0411},
        {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"ko_KR", 0x0412},
        {"ru_RU", 0x0419}, {"pl_PL", 0x0415}, {"cs_CZ", 0x0405}, {"sv_SE", 0x041D},
        {"sv_FI", 0x081D}, {"da_DK", 0x0406}, {"nb_NO", 0x0414}, {"no_NO", 0x0414},
        {"nn_NO", 0x0814}, {"fi_FI", 0x040B}, {"tr_TR", 0x041F}, {"el_GR", 0x0408},
        {"hu_HU", 0x040E}, {"uk_UA", 0x0422}, {"he_IL", 0x040D}, {"ar_EG", 0x0C01},
        {"de-CH", 0x0807}, {"DE_ch", 0x0807}, {"sr_RS", 0x281A}, {"uz_UZ", 0x0443},
        {"ca_ES", 0x0403}, {"C", 0x0409},     {"POSIX", 0x0409}, {"", 0x0409},
        {"xx_YY", 0x0409}, {"_DE", 0x0409},   {"@euro", 0x0409},
    };
    const Table decorated = {
        {"fil_PH", 0x0464},         {"de_CH.UTF-8", 0x0807},
        {"nl_BE@euro", 0x0813},     {"fr_BE.ISO-8859-1@euro", 0x080C},
        {"zh-Hant", 0x0404},        {"zh-Hans", 0x0804},
        {"zh-Hant-HK", 0x0C04},     {"sr_RS@latin", 0x241A},
        {"sr-Latn-ME", 0x2C1A},     {"uz_UZ@cyrillic", 0x0843},
        {"ca_ES@valencia", 0x0803}, {"C.UTF-8", 0x0409},
        {"klingon", 0x0409},        {".UTF-8", 0x0409},
    };
    for (const Table& table : {names, decorated})
        for (const auto& [locale, id] : table)
            EXPECT_EQ(LangIdFromLocaleName(locale), id) << locale;
}

TEST(LangId, TheUsersLanguageFromTheLocaleVariables) {
    const std::optional<std::string> unset;
    struct Case {
        std::optional<std::string> all, messages, lang, language;
        const char* name; // what UserUiLocaleName says
        LANGID id;
    };
    const Case cases[] = {
        // The first non-empty variable decides.
        {"fr_CA.UTF-8", "de_DE.UTF-8", "nl_NL.UTF-8", unset, "fr_CA.UTF-8", 0x0C0C},
        {"", "de_AT.UTF-8", "nl_NL.UTF-8", unset, "de_AT.UTF-8", 0x0C07},
        {unset, "", "nl_BE.UTF-8", unset, "nl_BE.UTF-8", 0x0813},
        {unset, unset, unset, unset, "C", 0x0409},
        {"C", unset, unset, unset, "C", 0x0409},
        // The language list comes first, except in the C locale; C.UTF-8 is
        // not the C locale.
        {"fr_FR.UTF-8", unset, unset, "de_AT:nl", "de_AT", 0x0C07},
        {unset, unset, "C.UTF-8", "nl_BE", "nl_BE", 0x0813},
        {unset, "C", "de_DE.UTF-8", "nl", "C", 0x0409},
        {unset, "POSIX", "de_DE.UTF-8", "nl", "POSIX", 0x0409},
        {unset, unset, unset, "de", "C", 0x0409},
        // Nothing known in the list: as if it were not set.
        {unset, unset, "nl_NL.UTF-8", "::klingon:", "nl_NL.UTF-8", 0x0413},
    };
    for (const Case& c : cases) {
        ScopedLocale locale(c.all, c.messages, c.lang, c.language);
        EXPECT_EQ(UserUiLocaleName(), c.name);
        EXPECT_EQ(GetUserDefaultLangID(), c.id) << c.lang.value_or("-") << " " << c.id;
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
