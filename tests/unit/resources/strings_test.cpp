// The string tables: every id in every language, the texts, HasString.
#include "platform/module/res_image.h"
#include "res/resource.h"
#include "resources/localized_resources.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace qv::restest;

const std::vector<UINT> kStringIds = {101,  102,  103,  104,  105,  106,  107,  108,  109,
                                      111,  113,  114,  115,  116,  1002, 1003, 1004, 1005,
                                      1009, 1024, 1025, 1026, 1027, 1028, 1032, 1033, 1034};

const std::map<UINT, std::string> kEnglish = {
    {101, "&OK"},
    {102, "C&ancel"},
    {103, "&Abort"},
    {104, "&Retry"},
    {105, "&Ignore"},
    {106, "&Yes"},
    {107, "&No"},
    {108, "C&lose"},
    {109, "&Help"},
    {111, "&Info..."},
    {113, "&Configuration..."},
    {114, "&Login"},
    {115, "Log&out"},
    {116, "&Readme..."},
    {1002, "Enter your PABX user name here."},
    {1003, "Enter the password for you PABX account here."},
    {1004, "Activate to start this application if you start your windows session."},
    {1005, "If disabled, an automatic login is done only on application startup."},
    {1009, "Activate to display a tooltip on incoming calls."},
    {1024, "Enter a time in seconds. After this time the dialog or tooltip will hide again.  "
           "(MSIE5.5 oder higher only)"},
    {1025, "Cannot find wab32.dll through the registry. Make sure, the Windows Address Book "
           "application is properly installed."},
    {1026, "File: %s\nError: %s"},
    {1027, "Logged out"},
    {1028, "Logged in"},
    {1032, "Enter the address (without the 'http://') of the PABX. You can also enter the IP "
           "address shown at a system telefone if you dial '*182#'."},
    {1033, "http://%s/app-main.asp?app=3"},
    {1034, "res://%s/readme-en.htm"},
};

std::string Text(const Locale& locale, UINT id) {
    ScopedLocale user(locale.name);
    return LoadLocalizedString(id);
}

class StringTableTest : public ::testing::Test {
protected:
    ScopedResources resources_{RealModule()};
};

TEST_F(StringTableTest, EnglishTextsExactlyAsShipped) {
    for (const Locale& locale : {kUsEnglish, kJapanese})
        for (const auto& [id, text] : kEnglish)
            EXPECT_EQ(Text(locale, id), text) << locale.name << " id " << id;
}

TEST_F(StringTableTest, EveryIdInEveryLanguage) {
    for (const Locale& locale : {kGerman, kFrench, kDutch, kUsEnglish})
        for (UINT id : kStringIds)
            EXPECT_FALSE(Text(locale, id).empty()) << locale.name << " id " << id;
}

TEST_F(StringTableTest, TablesHoldExactlyTheseIds) {
    // Blocks 7, 8, 63, 64 and 65 in the four languages, and nothing else.
    const std::set<WORD> blocks = {7, 8, 63, 64, 65};
    std::map<LANGID, std::set<WORD>> found;
    for (const auto& entry : RealModule()->resources->Entries())
        if (entry.type == qv::platform::ResourceName::Ordinal(RT_STRING_ID))
            found[entry.language].insert(entry.name.ordinal);
    EXPECT_EQ(found.size(), 4u);
    for (LANGID language : {0x0000, 0x0407, 0x040C, 0x0413})
        EXPECT_EQ(found[language], blocks) << std::hex << language;

    const std::set<UINT> expected(kStringIds.begin(), kStringIds.end());
    for (const Locale& locale : {kGerman, kFrench, kDutch, kUsEnglish}) {
        std::set<UINT> present;
        for (WORD block : blocks)
            for (UINT index = 0; index < 16; ++index) {
                const UINT id = (block - 1u) * 16 + index;
                if (!Text(locale, id).empty())
                    present.insert(id);
            }
        EXPECT_EQ(present, expected) << locale.name;
    }
}

TEST_F(StringTableTest, LocalizedSamples) {
    EXPECT_EQ(Text(kGerman, 1026), "Datei: %s\nFehler: %s");
    EXPECT_EQ(Text(kSwissGerman, 108), "Sch&ließen");
    EXPECT_EQ(Text(kGerman, 1028), "Angemeldet");
    EXPECT_EQ(Text(kGerman, 1024),
              "Geben Sie eine Zeit in Sekunden ein. Nach dieser Zeit werden das Fenster oder die "
              "Sprechblase wieder ausgeblendet. (Nur MSIE5.5 oder höher)");
    EXPECT_EQ(Text(kGerman, 1032),
              "Geben Sie die Adresse (ohne das 'http://') der TK-Anlage ein. Sie können auch die "
              "IP-Adesse eingeben, die mit '*182#' am Systemtelefon angezeigt wird.");
    EXPECT_EQ(Text(kFrench, 1026), "Fichier : %s\nErreur: %s");
    EXPECT_EQ(Text(kBelgianFrench, 109), "&?");
    EXPECT_EQ(Text(kFrench, 104), "&Réessayer");
    EXPECT_EQ(Text(kFrench, 1027), "Déconnecté");
    EXPECT_EQ(Text(kFrench, 1002),
              "Saisissez le nom d'utilisateur configuré à votre intention sur l'installation de "
              "télécommunication.");
    EXPECT_EQ(Text(kDutch, 1026), "Bestand: %s\nfouten: %s");
    EXPECT_EQ(Text(kBelgianDutch, 103), "A&fbreken");
    EXPECT_EQ(Text(kDutch, 113), "&Configuratie...");
    EXPECT_EQ(Text(kDutch, 1025),
              "Een wab32.dll-record is niet in de systeemregistratie opgenomen. Controleer of het "
              "Windows adresboekprogramma juist is geïnstalleerd.");
}

TEST_F(StringTableTest, UrlFormats) {
    for (const Locale& locale : {kGerman, kFrench, kDutch, kUsEnglish})
        EXPECT_EQ(Text(locale, 1033), "http://%s/app-main.asp?app=3") << locale.name;
    EXPECT_EQ(Text(kUsEnglish, 1034), "res://%s/readme-en.htm");
    EXPECT_EQ(Text(kGerman, 1034), "res://%s/readme-de.htm");
    EXPECT_EQ(Text(kFrench, 1034), "res://%s/readme-fr.htm");
    EXPECT_EQ(Text(kDutch, 1034), "res://%s/readme-nl.htm");
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

TEST_F(StringTableTest, HasStringForEveryId) {
    for (const Locale& locale : {kGerman, kFrench, kJapanese}) {
        ScopedLocale user(locale.name);
        EXPECT_TRUE(HasString(1025)) << locale.name;
        for (UINT id : kStringIds)
            EXPECT_TRUE(HasString(id)) << locale.name << " id " << id;
    }
}

} // namespace
