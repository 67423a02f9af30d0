// The main window's modal run: its visible states and every way it ends.
#include "console/pump_messages.h"
#include "system_fixture.h"

namespace {

using qv::com::ComPtr;
using qv::sim::SimElement;
using qv::systest::MainWindowTest;
using qv::systest::RecordingDlg;

class LifecycleTest : public MainWindowTest {
protected:
    // Logged in, with a logout link whose page answers after answerMs.
    std::shared_ptr<SimElement> LogIn(CBrowserDlg& dialog, int answerMs = 300) {
        auto link = SimElement::Anchor("javascript:bttnLogout()");
        link->OnClick([this, &dialog, answerMs] {
            sim.Clock().After(answerMs, [&dialog] { dialog.m_pLogoutElement.reset(); });
        });
        dialog.m_pLogoutElement = qv::sim::LoneElement(link);
        dialog.m_bLoginPending = FALSE;
        dialog.UpdateLoginState(nullptr);
        return link;
    }
    // Runs the dialog modally; at runs first, 100 ms into the run.
    INT_PTR Run(CBrowserDlg& dialog, std::function<void()> at) {
        app.m_pMainWnd = &dialog;
        sim.Clock().After(100, std::move(at));
        return dialog.DoModal();
    }
};

TEST_F(LifecycleTest, CloseLogsOutReleasesEverythingAndEnds) {
    Configure();
    WriteSettingInt(nullptr, "XPosition", 300);
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    std::uint64_t closedAt = 0;
    const INT_PTR result = Run(dialog, [&] {
        link = LogIn(dialog);
        closedAt = sim.Clock().Now();
        dialog.PostMessage(WM_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_EQ(sim.Log().Count("WaitCursor(on)"), 1u);
    EXPECT_FALSE(sim.Windows().WaitCursor());
    EXPECT_GE(sim.Clock().Now() - closedAt, 300u);
    EXPECT_FALSE(sim.Shell().IconShown());
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
    EXPECT_EQ(dialog.m_nTimerId, 0u);
    EXPECT_EQ(Setting("XPosition"), 300);
}

TEST_F(LifecycleTest, QuitItemAndSystemMenuCloseEndTheSameWay) {
    for (WPARAM command : {WPARAM(MAKELONG(IDOK, BN_CLICKED)), WPARAM(0)}) {
        Configure();
        CBrowserDlg dialog;
        std::shared_ptr<SimElement> link;
        const INT_PTR result = Run(dialog, [&] {
            link = LogIn(dialog);
            if (command)
                dialog.PostMessage(WM_COMMAND, command);
            else
                dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(link->Clicks(), 1);
        EXPECT_FALSE(sim.Shell().IconShown());
    }
}

TEST_F(LifecycleTest, ConsoleExitButtonLogsOutAndEnds) {
    Configure();
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    bool cancelled = false;
    const INT_PTR result = Run(dialog, [&] {
        link = LogIn(dialog);
        cancelled = BrowserOf(dialog)->FireBeforeNavigate2("javascript:bttnVphoneExit()");
    });
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_FALSE(sim.Shell().IconShown());
}

TEST_F(LifecycleTest, PageClosingTheMainWindowEndsTheRunWithoutLogout) {
    Configure();
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    const INT_PTR result = Run(dialog, [&] {
        link = LogIn(dialog);
        BrowserOf(dialog)->FireWindowClosing(false);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(link->Clicks(), 0);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
}

TEST_F(LifecycleTest, EscapeHidesAndTheProgramRunsOn) {
    Configure();
    CBrowserDlg dialog;
    bool hiddenWhileRunning = false;
    Run(dialog, [&] {
        ::SetFocus(dialog.m_hWnd);
        dialog.PostMessage(WM_KEYDOWN, VK_ESCAPE);
        sim.Clock().After(2500, [&] {
            hiddenWhileRunning = dialog.IsIconic() && !dialog.IsWindowVisible() &&
                                 sim.Shell().IconShown() && dialog.ContinueModal();
            dialog.PostMessage(WM_CLOSE);
        });
    });
    EXPECT_TRUE(hiddenWhileRunning);
    // The state it ended in is remembered for the next start.
    EXPECT_EQ(Setting("Minimized"), 1);
}

TEST_F(LifecycleTest, BrowserWindowDestroyedUnderTheDialogEndsItWithoutLogout) {
    Configure();
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    bool outlivesAnotherChild = false;
    const INT_PTR result = Run(dialog, [&] {
        link = LogIn(dialog);
        HWND other = sim.Windows().CreateForeignWindow("Other");
        dialog.SendMessage(WM_PARENTNOTIFY, WM_DESTROY, reinterpret_cast<LPARAM>(other));
        outlivesAnotherChild = dialog.ContinueModal() && sim.Shell().IconShown();
        ::DestroyWindow(dialog.m_browser.m_hWnd);
    });
    EXPECT_TRUE(outlivesAnotherChild);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(link->Clicks(), 0);
    EXPECT_FALSE(dialog.m_pLogoutElement);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
}

TEST_F(LifecycleTest, PageClosingTheWindowLeavesTheEndToItsOwnHandling) {
    Configure();
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

TEST_F(LifecycleTest, SessionEndIsNeverVetoedAndLeavesTheWindowRunning) {
    Configure();
    CBrowserDlg dialog;
    std::shared_ptr<SimElement> link;
    LRESULT answer = FALSE;
    bool running = false;
    Run(dialog, [&] {
        link = LogIn(dialog, 6000); // a console that never answers in time
        dialog.ShowWindow(SW_MAXIMIZE);
        answer = dialog.SendMessage(WM_QUERYENDSESSION);
        running = dialog.ContinueModal();
        // Another program cancelled the session end: the window goes on.
        dialog.PostMessage(WM_CLOSE);
    });
    EXPECT_EQ(answer, TRUE);
    EXPECT_TRUE(running);
    EXPECT_EQ(link->Clicks(), 1);
    // Released once; the later close finds nothing left to release.
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
    EXPECT_EQ(Setting("Minimized"), 0);
    EXPECT_EQ(Setting("XWidth"), 64 + 366); // the restored size, not the maximised one
}

TEST_F(LifecycleTest, ReleaseResourcesTwiceReleasesOnce) {
    Configure();
    CBrowserDlg dialog;
    Open(dialog);
    LogIn(dialog);
    dialog.m_pRefreshBrowser = ComPtr<IWebBrowser2>(BrowserOf(dialog));
    dialog.ReleaseResources();
    dialog.ReleaseResources();
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_DELETE"), 1u);
    EXPECT_FALSE(dialog.m_pLogoutElement);
    EXPECT_FALSE(dialog.m_pRefreshBrowser);
    EXPECT_EQ(dialog.m_nTimerId, 0u);
    EXPECT_EQ(dialog.m_nid.cbSize, 0u);
    // No ticks any more.
    const auto ticks = sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY");
    PumpMessagesFor(3000);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY"), ticks);
    ::DestroyWindow(dialog.m_hWnd);
}

TEST_F(LifecycleTest, StartsMinimisedAndHiddenNeverShownRestored) {
    Configure();
    WriteSettingInt(nullptr, "Minimized", 1);
    CBrowserDlg dialog;
    bool hidden = false;
    Run(dialog, [&] {
        hidden = !dialog.IsWindowVisible() && dialog.IsIconic();
        dialog.PostMessage(WM_CLOSE);
    });
    EXPECT_TRUE(hidden);
    EXPECT_EQ(sim.Log().Count("ShowWindow(w1, SW_SHOWNORMAL)"), 0u);
    EXPECT_EQ(Navigations().size(), 1u); // the console loads in the hidden window
}

TEST_F(LifecycleTest, WithoutANotificationAreaMinimisedStaysOnTheTaskbar) {
    Configure();
    WriteSettingInt(nullptr, "Minimized", 1);
    qv::platform::SetShell(nullptr); // no tray host yet
    CBrowserDlg dialog;
    bool onTaskbar = false, hiddenOnceTheTrayCame = false;
    Run(dialog, [&] {
        onTaskbar = dialog.IsIconic() && dialog.IsWindowVisible();
        qv::platform::SetShell(&sim.Shell()); // the panel starts
        sim.Clock().After(1500, [&] {
            hiddenOnceTheTrayCame = !dialog.IsWindowVisible() && sim.Shell().IconShown() &&
                                    sim.Shell().Tip() == "Quorvia Browser - Logged out";
            dialog.PostMessage(WM_CLOSE);
        });
    });
    EXPECT_TRUE(onTaskbar);
    EXPECT_TRUE(hiddenOnceTheTrayCame);
}

TEST_F(LifecycleTest, HiddenWindowComesBackWhenTheNotificationAreaGoes) {
    Configure();
    WriteSettingInt(nullptr, "Minimized", 1);
    CBrowserDlg dialog;
    bool back = false;
    Run(dialog, [&] {
        sim.Shell().LoseIcon();
        qv::platform::SetShell(nullptr);
        sim.Clock().After(1500, [&] {
            back = dialog.IsWindowVisible() && dialog.IsIconic();
            qv::platform::SetShell(&sim.Shell());
            dialog.PostMessage(WM_CLOSE);
        });
    });
    EXPECT_TRUE(back);
}

TEST_F(LifecycleTest, KeepAliveReAddsALostIconWithItsTip) {
    Configure();
    CBrowserDlg dialog;
    Open(dialog);
    PumpMessagesFor(1500);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_ADD"), 1u);
    sim.Shell().LoseIcon();
    PumpMessagesFor(1000);
    EXPECT_TRUE(sim.Shell().IconShown());
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_ADD"), 2u);
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
    EXPECT_EQ(sim.Shell().Icon(), dialog.m_hSmallIcon);
    // And it answers clicks: the hidden window comes back.
    dialog.ShowWindow(SW_MINIMIZE);
    dialog.SendMessage(WM_KICKIDLE);
    ASSERT_FALSE(dialog.IsWindowVisible());
    EXPECT_TRUE(sim.Shell().Click(WM_LBUTTONDOWN));
    EXPECT_TRUE(dialog.IsWindowVisible());
    ::DestroyWindow(dialog.m_hWnd);
}

TEST_F(LifecycleTest, SuspendLogsOutResumeLogsIn) {
    Configure();
    CBrowserDlg dialog;
    Open(dialog);
    auto link = LogIn(dialog);
    sim.Log().Clear();
    for (WPARAM event : {WPARAM(0x12), WPARAM(0), WPARAM(10)})
        EXPECT_EQ(dialog.SendMessage(WM_POWERBROADCAST, event), TRUE);
    EXPECT_EQ(link->Clicks(), 0);
    EXPECT_TRUE(Navigations().empty());

    EXPECT_EQ(dialog.SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_FALSE(dialog.m_pLogoutElement);
    EXPECT_EQ(dialog.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), TRUE);
    EXPECT_EQ(Navigations().size(), 1u);
    ::DestroyWindow(dialog.m_hWnd);
}

} // namespace
