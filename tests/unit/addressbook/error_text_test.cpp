#include "addressbook/error_text.h"
#include "platform/module/lasterror.h"
#include "platform/module/module.h"

#include <gtest/gtest.h>

TEST(ErrorText, StatusWithoutPlatformTextShowsCodeAndName) {
    EXPECT_EQ(GetErrorText(0x8004010Fu), "Error #8004010f (CdoE_NOT_FOUND)");
    EXPECT_EQ(GetErrorText(0x00040380u), "Error #40380 (CdoW_ERRORS_RETURNED)");
    EXPECT_EQ(GetErrorText(0x80040111u), "Error #80040111 (CdoE_LOGON_FAILED)");
    EXPECT_EQ(GetErrorText(0x80040104u), "Error #80040104"); // not in the table
    EXPECT_EQ(GetErrorText(0x12345u), "Error #12345");
}

TEST(ErrorText, PlatformTextWinsAndCarriesNoName) {
    const std::string text = GetErrorText(0x80004005u);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("CdoE_"), std::string::npos);
    EXPECT_EQ(text.find("Error #"), std::string::npos);
}

TEST(ErrorText, ZeroDescribesTheLastError) {
    ASSERT_EQ(LoadLibraryA("/nonexistent/wab.so"), nullptr);
    const std::string text = GetErrorText(0);
    EXPECT_NE(text.find("wab.so"), std::string::npos) << text;

    SetLastError(0x8004010Fu); // a status the platform has no words for
    EXPECT_EQ(GetErrorText(0), "");
}

TEST(ErrorText, TableHasEveryNameOnce) {
    int known = 0;
    for (DWORD base : {0x80040000u, 0x00040000u})
        for (DWORD n = 0; n < 0x800; ++n)
            known += qv::addressbook::StatusName(base + n) != nullptr;
    for (DWORD code : {0x80004005u, 0x8007000Eu, 0x80070057u, 0x80004002u, 0x80070005u})
        known += qv::addressbook::StatusName(code) != nullptr;
    EXPECT_EQ(known, 74);
}
