#include "platform/module/langid.h"

#include "platform/module/res_image.h"
#include "platform/module/resources.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace qv::platform {
namespace {

constexpr LANGID kUsEnglish = 0x0409;

struct Locale {
    const char* language; // ISO 639, lower case
    const char* region;   // ISO 3166, upper case; "" is the language's home
    LANGID id;
};

// Windows LANGIDs. The first row of a language, the one with an empty
// region, stands for the bare language and for regions Windows has no id for.
constexpr Locale kLocales[] = {
    {"af", "", 0x0436},   {"am", "", 0x045E},   {"ar", "", 0x0401},   {"ar", "SA", 0x0401},
    {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01}, {"ar", "LY", 0x1001}, {"ar", "DZ", 0x1401},
    {"ar", "MA", 0x1801}, {"ar", "TN", 0x1C01}, {"ar", "OM", 0x2001}, {"ar", "YE", 0x2401},
    {"ar", "SY", 0x2801}, {"ar", "JO", 0x2C01}, {"ar", "LB", 0x3001}, {"ar", "KW", 0x3401},
    {"ar", "AE", 0x3801}, {"ar", "BH", 0x3C01}, {"ar", "QA", 0x4001}, {"as", "", 0x044D},
    {"az", "", 0x042C},   {"be", "", 0x0423},   {"bg", "", 0x0402},   {"bn", "", 0x0445},
    {"bn", "IN", 0x0445}, {"bn", "BD", 0x0845}, {"br", "", 0x047E},   {"bs", "", 0x141A},
    {"ca", "", 0x0403},   {"cs", "", 0x0405},   {"cy", "", 0x0452},   {"da", "", 0x0406},
    {"de", "", 0x0407},   {"de", "DE", 0x0407}, {"de", "CH", 0x0807}, {"de", "AT", 0x0C07},
    {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"el", "", 0x0408},   {"en", "", 0x0409},
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "JM", 0x2009},
    {"en", "BZ", 0x2809}, {"en", "TT", 0x2C09}, {"en", "ZW", 0x3009}, {"en", "PH", 0x3409},
    {"en", "IN", 0x4009}, {"en", "MY", 0x4409}, {"en", "SG", 0x4809}, {"es", "", 0x0C0A},
    {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A}, {"es", "GT", 0x100A}, {"es", "CR", 0x140A},
    {"es", "PA", 0x180A}, {"es", "DO", 0x1C0A}, {"es", "VE", 0x200A}, {"es", "CO", 0x240A},
    {"es", "PE", 0x280A}, {"es", "AR", 0x2C0A}, {"es", "EC", 0x300A}, {"es", "CL", 0x340A},
    {"es", "UY", 0x380A}, {"es", "PY", 0x3C0A}, {"es", "BO", 0x400A}, {"es", "SV", 0x440A},
    {"es", "HN", 0x480A}, {"es", "NI", 0x4C0A}, {"es", "PR", 0x500A}, {"es", "US", 0x540A},
    {"et", "", 0x0425},   {"eu", "", 0x042D},   {"fa", "", 0x0429},   {"fi", "", 0x040B},
    {"fil", "", 0x0464},  {"fo", "", 0x0438},   {"fr", "", 0x040C},   {"fr", "FR", 0x040C},
    {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C},
    {"fr", "MC", 0x180C}, {"fy", "", 0x0462},   {"ga", "", 0x083C},   {"gd", "", 0x0491},
    {"gl", "", 0x0456},   {"gu", "", 0x0447},   {"he", "", 0x040D},   {"hi", "", 0x0439},
    {"hr", "", 0x041A},   {"hr", "BA", 0x101A}, {"hu", "", 0x040E},   {"hy", "", 0x042B},
    {"id", "", 0x0421},   {"is", "", 0x040F},   {"it", "", 0x0410},   {"it", "CH", 0x0810},
    {"ja", "", 0x0411},   {"ka", "", 0x0437},   {"kk", "", 0x043F},   {"km", "", 0x0453},
    {"kn", "", 0x044B},   {"ko", "", 0x0412},   {"ky", "", 0x0440},   {"lb", "", 0x046E},
    {"lo", "", 0x0454},   {"lt", "", 0x0427},   {"lv", "", 0x0426},   {"mi", "", 0x0481},
    {"mk", "", 0x042F},   {"ml", "", 0x044C},   {"mn", "", 0x0450},   {"mr", "", 0x044E},
    {"ms", "", 0x043E},   {"ms", "BN", 0x083E}, {"mt", "", 0x043A},   {"nb", "", 0x0414},
    {"ne", "", 0x0461},   {"nl", "", 0x0413},   {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813},
    {"nn", "", 0x0814},   {"no", "", 0x0414},   {"oc", "", 0x0482},   {"or", "", 0x0448},
    {"pa", "", 0x0446},   {"pl", "", 0x0415},   {"ps", "", 0x0463},   {"pt", "", 0x0816},
    {"pt", "PT", 0x0816}, {"pt", "BR", 0x0416}, {"rm", "", 0x0417},   {"ro", "", 0x0418},
    {"ro", "MD", 0x0818}, {"ru", "", 0x0419},   {"ru", "MD", 0x0819}, {"rw", "", 0x0487},
    {"si", "", 0x045B},   {"sk", "", 0x041B},   {"sl", "", 0x0424},   {"sq", "", 0x041C},
    {"sv", "", 0x041D},   {"sv", "FI", 0x081D}, {"sw", "", 0x0441},   {"ta", "", 0x0449},
    {"te", "", 0x044A},   {"tg", "", 0x0428},   {"th", "", 0x041E},   {"tk", "", 0x0442},
    {"tr", "", 0x041F},   {"tt", "", 0x0444},   {"uk", "", 0x0422},   {"ur", "", 0x0420},
    {"uz", "", 0x0443},   {"vi", "", 0x042A},   {"wo", "", 0x0488},   {"xh", "", 0x0434},
    {"yo", "", 0x046A},   {"zh", "", 0x0804},   {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404},
    {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404}, {"zu", "", 0x0435},
};

// Languages whose Windows id depends on the script: Latin or Cyrillic.
struct ScriptLocale {
    const char* language;
    const char* region;
    bool cyrillic;
    LANGID id;
};

constexpr ScriptLocale kScriptLocales[] = {
    {"sr", "", true, 0x281A},    {"sr", "", false, 0x241A},   {"sr", "RS", true, 0x281A},
    {"sr", "RS", false, 0x241A}, {"sr", "ME", true, 0x301A},  {"sr", "ME", false, 0x2C1A},
    {"sr", "BA", true, 0x1C1A},  {"sr", "BA", false, 0x181A}, {"bs", "", true, 0x201A},
    {"bs", "", false, 0x141A},   {"uz", "", true, 0x0843},    {"uz", "", false, 0x0443},
    {"az", "", true, 0x082C},    {"az", "", false, 0x042C},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Lowered(std::string_view in) {
    std::string out;
    for (char c : in)
        out += Lower(c);
    return out;
}

// Null for a language the table does not know (and for "C", "POSIX").
std::optional<LANGID> FindLangId(std::string_view locale) {
    // language[_territory][.codeset][@modifier], or BCP 47 "de-CH", "zh-Hant-TW".
    std::string_view modifier;
    if (auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    if (auto dot = locale.find('.'); dot != std::string_view::npos)
        locale = locale.substr(0, dot);

    std::string language, script, region;
    std::size_t part = 0;
    while (!locale.empty()) {
        const auto sep = locale.find_first_of("_-");
        const std::string_view field = locale.substr(0, sep);
        locale = sep == std::string_view::npos ? std::string_view{} : locale.substr(sep + 1);
        if (part++ == 0) {
            language = Lowered(field);
        } else if (field.size() == 4 && script.empty() && region.empty()) {
            script = Lowered(field);
        } else if (field.size() == 2 && region.empty() && IsAlpha(field[0]) && IsAlpha(field[1])) {
            region = {Upper(field[0]), Upper(field[1])};
        }
    }
    if (language.size() < 2 || language.size() > 3)
        return std::nullopt;

    const std::string mod = Lowered(modifier);
    if (language == "ca" && mod == "valencia")
        return 0x0803;
    if (language == "zh" && region.empty()) {
        if (script == "hant")
            return 0x0404;
        if (script == "hans")
            return 0x0804;
    }

    // glibc names Serbian Cyrillic by default and Latin with "@latin"; Uzbek
    // and Azerbaijani the other way round.
    const bool defaultCyrillic = language == "sr";
    bool cyrillic = defaultCyrillic;
    if (script == "cyrl" || mod == "cyrillic")
        cyrillic = true;
    if (script == "latn" || mod == "latin")
        cyrillic = false;
    for (const auto& row : kScriptLocales)
        if (language == row.language && region == row.region && cyrillic == row.cyrillic)
            return row.id;
    for (const auto& row : kScriptLocales)
        if (language == row.language && *row.region == '\0' && cyrillic == row.cyrillic)
            return row.id;

    const Locale* home = nullptr;
    for (const auto& row : kLocales) {
        if (language != row.language)
            continue;
        if (region == row.region)
            return row.id;
        if (!home && *row.region == '\0')
            home = &row;
    }
    if (!home)
        return std::nullopt;
    return home->id;
}

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Whether the program has texts in the language: a string table of it in
// the resources (the neutral copy is English). Without resources, any.
bool Offered(HMODULE module, LANGID id) {
    if (!module)
        module = AfxGetResourceHandle();
    if (!module || !module->resources)
        return true;
    const auto strings = ResourceName::Ordinal(RT_STRING_ID);
    for (const auto& entry : module->resources->Entries()) {
        if (entry.type != strings)
            continue;
        const LANGID primary =
            PRIMARYLANGID(entry.language == LANG_NEUTRAL ? kUsEnglish : entry.language);
        if (primary == PRIMARYLANGID(id))
            return true;
    }
    return false;
}

} // namespace

LANGID LangIdFromLocaleName(std::string_view locale) {
    return FindLangId(locale).value_or(kUsEnglish);
}

std::string UserUiLocaleName(HMODULE resources) {
    const char* messages = Variable("LC_ALL");
    if (!messages)
        messages = Variable("LC_MESSAGES");
    if (!messages)
        messages = Variable("LANG");
    const std::string_view locale = messages ? messages : "C";
    // LANGUAGE is a priority list, read as gettext reads it: not in the C
    // locale, whose output must not depend on it, and the first language the
    // program has texts in wins. None of them: the first one still decides,
    // so the program shows its own neutral texts rather than LANG's language.
    const char* list = Variable("LANGUAGE");
    if (list && locale != "C" && locale != "POSIX") {
        std::optional<std::string_view> first;
        for (std::string_view rest = list; !rest.empty();) {
            const auto colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
            const auto id = FindLangId(entry);
            if (!id)
                continue;
            if (Offered(resources, *id))
                return std::string(entry);
            if (!first)
                first = entry;
        }
        if (first)
            return std::string(*first);
    }
    return std::string(locale);
}

} // namespace qv::platform

LANGID GetUserDefaultLangID() {
    return qv::platform::LangIdFromLocaleName(qv::platform::UserUiLocaleName());
}
