// The simulated notification area.
#include "backend/sim/sim_platform.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

NOTIFYICONDATAA Record(DWORD size, UINT flags) {
    NOTIFYICONDATAA data;
    data.cbSize = size;
    data.uFlags = flags;
    data.uCallbackMessage = WM_USER + 1;
    return data;
}

class ShellTest : public ::testing::Test {
protected:
    qv::sim::SimPlatform sim;
};

TEST_F(ShellTest, ALostIconRefusesChangesUntilAddedAgain) {
    auto data = Record(NOTIFYICONDATAA_V2_SIZE, NIF_MESSAGE | NIF_ICON);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data)); // already there
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "Quorvia - Logged in");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia - Logged in");

    sim.Shell().LoseIcon();
    data.uFlags = 0;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(sim.Shell().IconShown());

    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY, size=488, flags=0) failed"), 1u);
}

TEST_F(ShellTest, BalloonsNeedTheLongRecord) {
    auto data = Record(NOTIFYICONDATAA_V2_SIZE, NIF_MESSAGE | NIF_ICON);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    data.uFlags = NIF_INFO;
    std::strcpy(data.szInfo, "0301234567");
    std::strcpy(data.szInfoTitle, "Call");
    data.uTimeout = 5000;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    ASSERT_TRUE(sim.Shell().Balloon().has_value());
    EXPECT_EQ(sim.Shell().Balloon()->text, "0301234567");
    EXPECT_EQ(sim.Shell().Balloon()->title, "Call");
    data.szInfo[0] = '\0';
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_FALSE(sim.Shell().Balloon().has_value());

    // The short record carries no balloon.
    auto shortRecord = Record(NOTIFYICONDATAA_V1_SIZE, NIF_INFO);
    std::strcpy(shortRecord.szInfo, "ignored");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &shortRecord));
    EXPECT_FALSE(sim.Shell().Balloon().has_value());
    EXPECT_EQ(sim.Shell().BalloonsShown(), 1);
}

TEST_F(ShellTest, WithoutANotificationServiceTheShellIsTheOldOne) {
    sim.Shell().SetNotificationService(false);
    DLLVERSIONINFO version;
    version.cbSize = sizeof version;
    ASSERT_EQ(DllGetVersion(&version), S_OK);
    EXPECT_LT(version.dwMajorVersion, 5u);
    sim.Shell().SetVersionFails(true);
    EXPECT_TRUE(FAILED(DllGetVersion(&version)));
}

} // namespace
