// What only the simulated desktop offers beyond the contract: finer points of
// the topmost band, forgetting destroyed windows, and the notification area's
// lost icon and balloons.
#include "backend/sim/sim_platform.h"
#include "platform/ui/winapi.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using qv::sim::SimPlatform;

constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

NOTIFYICONDATAA Record(DWORD size, UINT flags) {
    NOTIFYICONDATAA data;
    data.cbSize = size;
    data.uFlags = flags;
    data.uCallbackMessage = WM_USER + 1;
    return data;
}

class SimDesktopTest : public ::testing::Test {
protected:
    SimDesktopTest() {
        qv::platform::DialogTemplate dialog;
        dialog.style = WS_CAPTION | WS_SYSMENU;
        dialog.cx = 100;
        dialog.cy = 80;
        ours = sim.Windows().CreateDialogWindow(dialog, {}, nullptr, DefWindowProcA);
        ShowWindow(ours, SW_SHOWNORMAL);
        other = sim.Windows().CreateForeignWindow("editor");
    }

    SimPlatform sim;
    HWND ours = nullptr;
    HWND other = nullptr;
};

TEST_F(SimDesktopTest, LeavingTheBandAndGoingToTheBottom) {
    HWND third = sim.Windows().CreateForeignWindow("mail");
    SetWindowPos(ours, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
    SetWindowPos(ours, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
    // Out of the band: on top of the others, no longer above the user's next choice.
    EXPECT_FALSE(sim.Windows().Window(ours)->topmost);
    EXPECT_EQ(sim.Windows().ZOrder().front(), ours);
    SetWindowPos(ours, HWND_BOTTOM, 0, 0, 0, 0, kKeep);
    EXPECT_EQ(sim.Windows().ZOrder().back(), ours);
    EXPECT_TRUE(sim.Windows().IsAbove(third, other));
    // NOTOPMOST on a window outside the band does not move it.
    SetWindowPos(ours, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
    EXPECT_EQ(sim.Windows().ZOrder().back(), ours);
    // Bottom takes a topmost window out of its band.
    SetWindowPos(ours, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
    SetWindowPos(ours, HWND_BOTTOM, 0, 0, 0, 0, kKeep);
    EXPECT_FALSE(sim.Windows().Window(ours)->topmost);
    EXPECT_EQ(sim.Windows().Log().Count("SetWindowPos(w1, HWND_BOTTOM, SWP_NOSIZE|SWP_NOMOVE|"
                                        "SWP_NOACTIVATE)"),
              2u);
}

TEST_F(SimDesktopTest, DestroyedWindowsAreForgottenWithTheirTimersAndMessages) {
    SetTimer(ours, 1, 100, nullptr);
    PostMessageA(ours, WM_USER, 0, 0);
    ASSERT_TRUE(DestroyWindow(ours));
    EXPECT_FALSE(IsWindow(ours));
    EXPECT_FALSE(DestroyWindow(ours));
    sim.Clock().Advance(1000);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(ShowWindow(ours, SW_SHOW));
    EXPECT_EQ(SendMessageA(ours, WM_USER, 0, 0), 0);
}

TEST_F(SimDesktopTest, UnknownSystemParametersAreRefused) {
    RECT area;
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &area, 0));
}

TEST_F(SimDesktopTest, ALostIconRefusesChangesUntilAddedAgain) {
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

TEST_F(SimDesktopTest, BalloonsNeedTheLongRecord) {
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

TEST_F(SimDesktopTest, WithoutANotificationServiceTheShellIsTheOldOne) {
    sim.Shell().SetNotificationService(false);
    DLLVERSIONINFO version;
    version.cbSize = sizeof version;
    ASSERT_EQ(DllGetVersion(&version), S_OK);
    EXPECT_LT(version.dwMajorVersion, 5u);
    sim.Shell().SetVersionFails(true);
    EXPECT_TRUE(FAILED(DllGetVersion(&version)));
}

} // namespace
