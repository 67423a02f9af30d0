// The main window's modal run: its visible states and every way it ends.
#include "system_fixture.h"

namespace {

using namespace qv::systest;

class LifecycleTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Configure();
    }
    // Runs the dialog modally; at runs first, 100 ms into the run.
    INT_PTR Run(CBrowserDlg& dialog, std::function<void()> at) {
        app.m_pMainWnd = &dialog;
        sim.Clock().After(100, std::move(at));
        return dialog.DoModal();
    }
};

TEST_F(LifecycleTest, EveryWayToQuitLogsOutReleasesEverythingAndEnds) {
    WriteSettingInt(nullptr, "XPosition", 300);
    const std::function<void(CBrowserDlg&)> quits[] = {
        [](CBrowserDlg& dialog) { dialog.PostMessage(WM_CLOSE); },
        [](CBrowserDlg& dialog) { dialog.PostMessage(WM_COMMAND, MAKELONG(IDOK, BN_CLICKED)); },
        [](CBrowserDlg& dialog) { dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE); },
        // The console's exit button; its navigation is cancelled.
        [this](CBrowserDlg& dialog) {
            EXPECT_TRUE(BrowserOf(dialog)->FireBeforeNavigate2("javascript:bttnVphoneExit()"));
        },
    };
    int way = 0;
    for (const auto& quit : quits) {
        SCOPED_TRACE(way++);
        sim.Log().Clear();
        CBrowserDlg dialog;
        std::shared_ptr<SimElement> link;
        std::uint64_t quitAt = 0;
        const INT_PTR result = Run(dialog, [&] {
            link = LogIn(dialog);
            quitAt = sim.Clock().Now();
            quit(dialog);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(link->Clicks(), 1);
        EXPECT_EQ(sim.Log().Count("WaitCursor(on)"), 1u);
        EXPECT_FALSE(sim.Windows().WaitCursor());
        EXPECT_GE(sim.Clock().Now() - quitAt, 300u);
        EXPECT_FALSE(sim.Shell().IconShown());
        EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
        EXPECT_EQ(dialog.m_nTimerId, 0u);
        EXPECT_EQ(Setting("XPosition"), 300);
    }
}

TEST_F(LifecycleTest, PageClosingTheWindowOrItsBrowserGoingEndsTheRunWithoutLogout) {
    for (bool pageCloses : {true, false}) {
        sim.Log().Clear();
        CBrowserDlg dialog;
        std::shared_ptr<SimElement> link;
        bool runsOn = false;
        const INT_PTR result = Run(dialog, [&] {
            link = LogIn(dialog);
            dialog.m_pRefreshBrowser = ComPtr<IWebBrowser2>(BrowserOf(dialog));
            // Neither a frame's window closing nor another child going ends it.
            HWND other = sim.Windows().CreateForeignWindow("Other");
            dialog.SendMessage(WM_PARENTNOTIFY, WM_DESTROY, reinterpret_cast<LPARAM>(other));
            runsOn = !BrowserOf(dialog)->FireWindowClosing(true) && !dialog.m_bClosing &&
                     dialog.ContinueModal() && sim.Shell().IconShown();
            if (pageCloses) {
                EXPECT_TRUE(BrowserOf(dialog)->FireWindowClosing(false));
                EXPECT_TRUE(dialog.m_bClosing);
            } else {
                ::DestroyWindow(dialog.m_browser.m_hWnd);
            }
        });
        EXPECT_TRUE(runsOn) << pageCloses;
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(link->Clicks(), 0);
        EXPECT_FALSE(dialog.m_pLogoutElement);
        EXPECT_FALSE(dialog.m_pRefreshBrowser);
        EXPECT_EQ(dialog.m_nTimerId, 0u);
        EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
    }
}

TEST_F(LifecycleTest, AMinimisedStartIsHiddenAndEscapeHidesAgainWhileTheProgramRunsOn) {
    WriteSettingInt(nullptr, "Minimized", 1);
    CBrowserDlg dialog;
    bool hiddenAtStart = false, hiddenWhileRunning = false;
    std::size_t shownNormal = 99;
    Run(dialog, [&] {
        hiddenAtStart = !dialog.IsWindowVisible() && dialog.IsIconic();
        shownNormal = sim.Log().Count("ShowWindow(w1, SW_SHOWNORMAL)");
        WriteSettingInt(nullptr, "Minimized", 0);
        dialog.ShowWindow(SW_RESTORE);
        ::SetFocus(dialog.m_hWnd);
        dialog.PostMessage(WM_KEYDOWN, VK_ESCAPE);
        sim.Clock().After(2500, [&] {
            hiddenWhileRunning = dialog.IsIconic() && !dialog.IsWindowVisible() &&
                                 sim.Shell().IconShown() && dialog.ContinueModal();
            dialog.PostMessage(WM_CLOSE);
        });
    });
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_EQ(shownNormal, 0u);
    EXPECT_EQ(Navigations().size(), 1u); // the console loads in the hidden window
    EXPECT_TRUE(hiddenWhileRunning);
    // The state it ended in is remembered for the next start.
    EXPECT_EQ(Setting("Minimized"), 1);
}

TEST_F(LifecycleTest, PageClosingTheWindowLeavesTheEndToItsOwnHandling) {
    CBrowserDlg dialog;
    bool stillRunning = false;
    Run(dialog, [&] {
        dialog.m_bClosing = TRUE;
        ::DestroyWindow(dialog.m_browser.m_hWnd);
        stillRunning = dialog.ContinueModal() && sim.Shell().IconShown();
        dialog.EndDialog(IDOK);
    });
    EXPECT_TRUE(stillRunning);
    // The window's own destruction still takes the icon away.
    EXPECT_FALSE(sim.Shell().IconShown());
}

TEST_F(LifecycleTest, SessionEndIsNeverVetoedReleasesOnceAndLeavesTheWindowRunning) {
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    LRESULT answer = FALSE;
    bool running = false, released = false;
    std::size_t ticks = 0;
    Run(dialog, [&] {
        link = LogIn(dialog, 6000); // a console that never answers in time
        dialog.m_pRefreshBrowser = ComPtr<IWebBrowser2>(BrowserOf(dialog));
        dialog.ShowWindow(SW_MAXIMIZE);
        answer = dialog.SendMessage(WM_QUERYENDSESSION);
        running = dialog.ContinueModal();
        released = !dialog.m_pLogoutElement && !dialog.m_pRefreshBrowser && !dialog.m_nTimerId;
        ticks = sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY");
        // Another program cancelled the session end: the window goes on.
        sim.Clock().After(3000, [&] { dialog.PostMessage(WM_CLOSE); });
    });
    EXPECT_EQ(answer, TRUE);
    EXPECT_TRUE(running);
    EXPECT_TRUE(released);
    EXPECT_EQ(link->Clicks(), 1);
    // Released once: no ticks, no icon again, nothing left for the close.
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY"), ticks);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_ADD"), 1u);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
    EXPECT_EQ(Setting("Minimized"), 0);
    EXPECT_EQ(Setting("XWidth"), 64 + 366); // the restored size, not the maximised one
}

TEST_F(LifecycleTest, MinimisedHidesInTheNotificationAreaOnlyWhileThereIsOne) {
    WriteSettingInt(nullptr, "Minimized", 1);
    qv::platform::SetShell(nullptr); // no tray host yet
    CBrowserDlg dialog;
    bool onTaskbar = false, hiddenOnceTheTrayCame = false, backOnceItWent = false;
    Run(dialog, [&] {
        onTaskbar = dialog.IsIconic() && dialog.IsWindowVisible();
        qv::platform::SetShell(&sim.Shell()); // the panel starts
        sim.Clock().After(1500, [&] {
            hiddenOnceTheTrayCame = !dialog.IsWindowVisible() && sim.Shell().IconShown() &&
                                    sim.Shell().Tip() == "Quorvia Browser - Logged out";
            sim.Shell().LoseIcon(); // and ends again
            qv::platform::SetShell(nullptr);
            sim.Clock().After(1500, [&] {
                backOnceItWent = dialog.IsWindowVisible() && dialog.IsIconic();
                qv::platform::SetShell(&sim.Shell());
                dialog.PostMessage(WM_CLOSE);
            });
        });
    });
    EXPECT_TRUE(onTaskbar);
    EXPECT_TRUE(hiddenOnceTheTrayCame);
    EXPECT_TRUE(backOnceItWent);
}

// On the fixture's open window, whose log starts after its icon was added.
TEST_F(WindowTest, KeepAliveReAddsALostIconWithItsTip) {
    PumpMessagesFor(1500);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_ADD"), 0u);
    sim.Shell().LoseIcon();
    PumpMessagesFor(1000);
    EXPECT_TRUE(sim.Shell().IconShown());
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_ADD"), 1u);
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
    EXPECT_EQ(sim.Shell().Icon(), dialog().m_hSmallIcon);
    // And it answers clicks: the hidden window comes back.
    dialog().ShowWindow(SW_MINIMIZE);
    dialog().SendMessage(WM_KICKIDLE);
    ASSERT_FALSE(dialog().IsWindowVisible());
    EXPECT_TRUE(sim.Shell().Click(WM_LBUTTONDOWN));
    EXPECT_TRUE(dialog().IsWindowVisible());
}

TEST_F(WindowTest, SuspendLogsOutResumeLogsIn) {
    auto link = LogIn();
    sim.Log().Clear();
    for (WPARAM event : {WPARAM(0x12), WPARAM(0), WPARAM(10)})
        EXPECT_EQ(dialog().SendMessage(WM_POWERBROADCAST, event), TRUE);
    EXPECT_EQ(link->Clicks(), 0);
    EXPECT_TRUE(Navigations().empty());

    EXPECT_EQ(dialog().SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_FALSE(dialog().m_pLogoutElement);
    EXPECT_EQ(dialog().SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), TRUE);
    EXPECT_EQ(Navigations().size(), 1u);
}

} // namespace
