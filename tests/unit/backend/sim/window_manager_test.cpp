// The simulated window manager: z-order bands, activation, window states.
#include "backend/sim/sim_platform.h"
#include "platform/ui/winapi.h"

#include <gtest/gtest.h>

namespace {

using qv::sim::SimPlatform;

class WindowManagerTest : public ::testing::Test {
protected:
    WindowManagerTest() {
        // Our window with a procedure that notes activation changes.
        qv::platform::WindowRecord record;
        record.className = WC_DIALOG;
        record.style = WS_CAPTION | WS_SYSMENU;
        record.proc = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_NCACTIVATE)
                activations.push_back(wParam != 0);
            if (message == WM_SIZE)
                sizes.push_back(wParam);
            return DefWindowProcA(hwnd, message, wParam, lParam);
        };
        qv::platform::DialogTemplate dialog;
        dialog.style = WS_CAPTION | WS_SYSMENU;
        dialog.cx = 100;
        dialog.cy = 80;
        ours = sim.Windows().CreateDialogWindow(dialog, {}, nullptr, record.proc);
        ShowWindow(ours, SW_SHOWNORMAL);
        other = sim.Windows().CreateForeignWindow("editor");
        activations.clear();
        sizes.clear();
    }

    // Before the platform: its windows still get messages while it goes.
    std::vector<bool> activations;
    std::vector<WPARAM> sizes;
    SimPlatform sim;
    HWND ours = nullptr;
    HWND other = nullptr;
};

TEST_F(WindowManagerTest, RaisingWithoutActivationLeavesTheUserWhereHeIs) {
    ASSERT_TRUE(sim.Windows().IsAbove(other, ours));
    SetWindowPos(ours, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(ours, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(sim.Windows().IsAbove(ours, other));
    EXPECT_TRUE(sim.Windows().Window(ours)->topmost);
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_TRUE(activations.empty());
    // The user's window cannot come above the topmost band.
    sim.Windows().UserActivate(other);
    EXPECT_TRUE(sim.Windows().IsAbove(ours, other));
}

TEST_F(WindowManagerTest, LeavingTheBandAndGoingToTheBottom) {
    HWND third = sim.Windows().CreateForeignWindow("mail");
    SetWindowPos(ours, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(ours, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Out of the band: on top of the others, no longer above the user's next choice.
    EXPECT_FALSE(sim.Windows().Window(ours)->topmost);
    EXPECT_EQ(sim.Windows().ZOrder().front(), ours);
    SetWindowPos(ours, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(sim.Windows().ZOrder().back(), ours);
    EXPECT_TRUE(sim.Windows().IsAbove(third, other));
    // NOTOPMOST on a window outside the band does not move it.
    SetWindowPos(ours, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(sim.Windows().ZOrder().back(), ours);
    // Bottom takes a topmost window out of its band.
    SetWindowPos(ours, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(ours, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_FALSE(sim.Windows().Window(ours)->topmost);
    EXPECT_EQ(sim.Windows().Log().Count("SetWindowPos(w1, HWND_BOTTOM, SWP_NOSIZE|SWP_NOMOVE|"
                                        "SWP_NOACTIVATE)"),
              2u);
}

TEST_F(WindowManagerTest, ActivationChangesAreDeliveredBothWays) {
    SetForegroundWindow(ours);
    sim.Windows().UserActivate(other);
    SetWindowPos(ours, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); // activates
    EXPECT_EQ(activations, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(GetForegroundWindow(), ours);
}

TEST_F(WindowManagerTest, MinimiseHideRestoreKeepTheNormalRectangle) {
    MoveWindow(ours, 50, 60, 400, 300, FALSE);
    SetForegroundWindow(ours);
    ShowWindow(ours, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(ours));
    EXPECT_EQ(GetForegroundWindow(), other); // activation went on
    ShowWindow(ours, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(ours));
    EXPECT_TRUE(IsIconic(ours)); // hidden in the notification area still counts as minimised
    WINDOWPLACEMENT placement;
    ASSERT_TRUE(GetWindowPlacement(ours, &placement));
    EXPECT_EQ(placement.showCmd, UINT(SW_SHOWMINIMIZED));
    EXPECT_EQ(placement.rcNormalPosition, (RECT{50, 60, 450, 360}));

    ShowWindow(ours, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(ours));
    EXPECT_FALSE(IsIconic(ours));
    EXPECT_EQ(GetForegroundWindow(), ours);
    RECT client;
    GetClientRect(ours, &client);
    EXPECT_EQ(client.right, 400 - 2 * qv::sim::SimWindowSystem::kBorder);
    // Resize, minimise (0 by 0), restore.
    EXPECT_EQ(sizes, (std::vector<WPARAM>{SIZE_RESTORED, SIZE_MINIMIZED, SIZE_RESTORED}));
}

TEST_F(WindowManagerTest, WorkAreaMetricsAndCursorAreTheTestsToSet) {
    sim.Windows().SetWorkArea(RECT{0, 30, 1280, 1024});
    sim.Windows().SetMetric(SM_CXMINTRACK, 112);
    sim.Windows().SetCursorPos(POINT{7, 9});
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_EQ(area, (RECT{0, 30, 1280, 1024}));
    EXPECT_EQ(GetSystemMetrics(SM_CXMINTRACK), 112);
    POINT cursor;
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor, (POINT{7, 9}));
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &area, 0));
}

TEST_F(WindowManagerTest, DestroyedWindowsAreForgottenWithTheirTimersAndMessages) {
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

} // namespace
