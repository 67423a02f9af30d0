// What only the simulated desktop offers beyond the contract: finer points of
// the topmost band, forgetting destroyed windows, and the notification area.
#include "backend/sim/sim_platform.h"
#include "platform/ui/winapi.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using qv::sim::SimPlatform;

constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

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

// What a lost icon and balloons do to the program is the main window's tests';
// here what the program never asks for: a second add, a balloon in the short
// record (ignored), and a failed call in the transcript.
TEST_F(SimDesktopTest, AnIconIsAddedOnceAndFailuresAreTranscribed) {
    NOTIFYICONDATAA data;
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.uFlags = NIF_MESSAGE | NIF_INFO;
    data.uCallbackMessage = WM_USER + 1;
    std::strcpy(data.szInfo, "ignored");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(sim.Shell().Balloon().has_value());
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
    sim.Shell().LoseIcon();
    data.uFlags = 0;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY, size=488, flags=0) failed"), 1u);
}

// Without one the shell reports an older version, so the program takes the
// short record (the main window's tests).
TEST_F(SimDesktopTest, WithoutANotificationServiceTheShellIsTheOldOne) {
    sim.Shell().SetNotificationService(false);
    DLLVERSIONINFO version;
    version.cbSize = sizeof version;
    ASSERT_EQ(DllGetVersion(&version), S_OK);
    EXPECT_LT(version.dwMajorVersion, 5u);
}

} // namespace
