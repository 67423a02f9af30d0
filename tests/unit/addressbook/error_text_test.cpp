#include "addressbook/error_text.h"
#include "platform/module/lasterror.h"
#include "platform/module/module.h"
#include "platform/wab/mapi_status.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

// Zero describes the last error (the loader's reason: the address book tests).
TEST(ErrorText, ThePlatformsWordsElseTheCode) {
    EXPECT_EQ(GetErrorText(0x80040104u), "Error #80040104");
    EXPECT_EQ(GetErrorText(0x12345u), "Error #12345");
    SetLastError(0x8004010Fu);
    EXPECT_EQ(GetErrorText(0), "");
    // A status the platform has words for shows them alone, without code or name.
    const std::string words = GetErrorText(DWORD(MAPI_E_NOT_ENOUGH_MEMORY));
    EXPECT_FALSE(words.empty());
    EXPECT_EQ(words.find("Error #"), std::string::npos) << words;
    EXPECT_EQ(words.find("Cdo"), std::string::npos) << words;
}

// Every row of the status table against the one place the numbers are
// written with their MAPI names: a row whose name or number slipped, a row
// missing or one too many, shows here without the test repeating the table.
TEST(ErrorText, EveryStatusIsNamedAfterItsNumbersMapiName) {
    std::ifstream header(QV_MAPI_STATUS_HEADER);
    std::stringstream text;
    text << header.rdbuf();
    const std::string source = text.str();
    const std::regex row(R"(MAPI_([EW])_(\w+) = HRESULT\(0x([0-9A-Fa-f]{8})u\);)");
    std::set<DWORD> codes;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), row);
         it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        const DWORD code = static_cast<DWORD>(std::stoul(m[3], nullptr, 16));
        EXPECT_TRUE(codes.insert(code).second) << "twice: " << m[0];
        // Errors have the severity bit, warnings not.
        EXPECT_EQ(m[1] == "E", (code & 0x80000000u) != 0) << m[0];
        const std::string name = "Cdo" + m[1].str() + "_" + m[2].str();
        const char* known = qv::addressbook::StatusName(code);
        EXPECT_EQ(known ? known : "<none>", name);
        // Unless the platform has words of its own (the generic codes).
        char expected[96];
        std::snprintf(expected, sizeof expected, "Error #%x (%s)", unsigned(code), name.c_str());
        const std::string shown = GetErrorText(code);
        if (shown.starts_with("Error #")) {
            EXPECT_EQ(shown, expected);
        }
    }
    EXPECT_EQ(codes.size(), 74u);
    int named = 0;
    for (DWORD base : {0x80040000u, 0x00040000u, 0x80070000u, 0x80004000u})
        for (DWORD n = 0; n < 0x1000; ++n)
            named += qv::addressbook::StatusName(base + n) != nullptr;
    EXPECT_EQ(named, 74) << "a row the header does not have";
}
