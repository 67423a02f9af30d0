// The string tables, checked by what every string must have rather than by a
// copy of the texts (which would only repeat a typo): every id in all four
// languages, the same format specifiers, one mnemonic per caption.
#include "../localized/test_support.h"
#include "framework/afxres.h"
#include "localized/localized_resources.h"
#include "platform/module/res_image.h"
#include "platform/module/resources.h"
#include "platform/text.h"
#include "rc/resource.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace qv::restest;

// language -> id -> text, read from the compiled tables themselves.
std::map<LANGID, std::map<UINT, std::string>> Tables(HINSTANCE module) {
    std::map<LANGID, std::map<UINT, std::string>> tables;
    for (const auto& entry : module->resources->Entries()) {
        if (entry.type != qv::platform::ResourceName::Ordinal(RT_STRING_ID))
            continue;
        for (UINT index = 0; index < 16; ++index) {
            const auto text = qv::platform::StringFromBlock(entry.data, index);
            if (text && !text->empty())
                tables[entry.language][(entry.name.ordinal - 1u) * 16 + index] =
                    qv::text::Utf16ToUtf8(*text);
        }
    }
    return tables;
}

// The "%" sequences in order; the program fills patterns knowing only %s and %%.
std::string Specifiers(const std::string& text) {
    std::string found;
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2))
        found += text.substr(at, 2) + " ";
    return found;
}

int Mnemonics(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&')
            ++i; // "&&" is a plain '&'
        else
            ++count;
    }
    return count;
}

// Every string id the headers define: the program's (IDS_) and the
// framework's messages (AFX_IDP_).
std::vector<UINT> DefinedStringIds() {
    const std::regex define(R"(^#define\s+(?:IDS|AFX_IDP)_\w+\s+(0x[0-9A-Fa-f]+|\d+))");
    std::vector<UINT> ids;
    for (const char* path : {QV_RESOURCE_HEADER, QV_FRAMEWORK_RESOURCE_HEADER}) {
        std::ifstream header(path);
        for (std::string line; std::getline(header, line);) {
            std::smatch match;
            if (std::regex_search(line, match, define))
                ids.push_back(UINT(std::stoul(match[1], nullptr, 0)));
        }
    }
    return ids;
}

const std::map<LANGID, std::string> kReadmeLanguage = {
    {0x0000, "en"}, {0x0407, "de"}, {0x040C, "fr"}, {0x0413, "nl"}};

class StringTableTest : public ::testing::Test {
protected:
    ScopedResources resources_{RealModule()};
};

TEST_F(StringTableTest, EveryIdInEveryLanguageWithTheSameSpecifiers) {
    const auto tables = Tables(RealModule());
    ASSERT_EQ(tables.size(), 4u);
    const auto& neutral = tables.at(0);
    // Every id the headers name, and the configuration dialog's tooltips.
    const auto defined = DefinedStringIds();
    EXPECT_GE(defined.size(), 22u);
    for (UINT id : defined)
        EXPECT_TRUE(neutral.contains(id)) << id;
    for (UINT id : {IDC_ADDRESS, IDC_USER, IDC_PASSWORD, IDC_AUTOSTART, IDC_AUTOLOGIN,
                    IDC_CALL_TOOLTIP, IDC_TIMEOUT})
        EXPECT_TRUE(neutral.contains(id)) << id;
    for (LANGID language : {0x0407, 0x040C, 0x0413}) {
        ASSERT_TRUE(tables.contains(language)) << std::hex << language;
        const auto& table = tables.at(language);
        std::set<UINT> ids, expected;
        for (const auto& [id, text] : table)
            ids.insert(id);
        for (const auto& [id, text] : neutral)
            expected.insert(id);
        EXPECT_EQ(ids, expected) << std::hex << language;
    }
    for (const auto& [language, table] : tables) {
        for (const auto& [id, text] : table) {
            const std::string specifiers = Specifiers(text);
            EXPECT_EQ(specifiers, Specifiers(neutral.at(id))) << id << " in " << language;
            for (std::size_t at = 0; at < specifiers.size(); at += 3)
                EXPECT_TRUE(specifiers[at + 1] == 's' || specifiers[at + 1] == '%')
                    << id << " in " << language << ": " << text;
            // Button captions and menu items: one key each.
            if (id < IDC_USER) {
                EXPECT_EQ(Mnemonics(text), 1) << id << " in " << language << ": " << text;
            }
            EXPECT_EQ(text.find_first_not_of(" \t\r\n"), 0u) << id << " in " << language;
            EXPECT_EQ(text.find_last_not_of(" \t\r\n"), text.size() - 1)
                << id << " in " << language;
        }
        // One console address for all; the readme in the table's language.
        EXPECT_EQ(table.at(IDS_URL_FORMAT), "http://%s/app-main.asp?app=3") << language;
        EXPECT_EQ(table.at(IDS_README_URL),
                  "res://%s/readme-" + kReadmeLanguage.at(language) + ".htm")
            << language;
    }
    // The platform's own choice finds every one of them, whatever the user's language.
    for (const Locale& locale : {kGerman, kFrench, kJapanese}) {
        ScopedLocale user(locale.name);
        for (const auto& [id, text] : neutral)
            EXPECT_TRUE(HasString(id)) << locale.name << " id " << id;
    }
}

TEST_F(StringTableTest, IdsWithoutStrings) {
    for (const Locale& locale : {kGerman, kUsEnglish}) {
        ScopedLocale user(locale.name);
        for (UINT id : {110u, 112u, 1000u, 1029u, 1030u, 4000u, 65535u}) {
            EXPECT_EQ(LoadLocalizedString(id), "") << id;
            EXPECT_FALSE(HasString(id)) << id;
        }
    }
}

TEST(HasStringTest, DecidesOnTheLengthNotOnTheFirstCharacter) {
    ScopedResources fixture(FixtureModule());
    ScopedLocale user(kUsEnglish.name);
    EXPECT_EQ(LoadLocalizedString(2000), "Échéance dépassée");
    EXPECT_TRUE(HasString(2000));
    EXPECT_TRUE(HasString(2001)) << "a single character";
    EXPECT_FALSE(HasString(2002)) << "an empty string";
}

} // namespace
