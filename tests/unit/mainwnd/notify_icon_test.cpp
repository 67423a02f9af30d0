// The notification icon's clicks and menu, the system menu's commands, and
// painting the minimised window.
#include "system_fixture.h"

namespace {

using namespace qv::systest;

class NotifyIconTest : public WindowTest {
protected:
    // As the modal loop does: idle first, then the icon's message.
    void Click(UINT mouse) {
        dialog().SendMessage(WM_KICKIDLE);
        dialog().SendMessage(WM_NOTIFYICON, 0, mouse);
    }
};

TEST_F(NotifyIconTest, ClickShowsBringsForwardAndHides) {
    dialog().ShowWindow(SW_MINIMIZE);
    dialog().SendMessage(WM_KICKIDLE);
    ASSERT_FALSE(dialog().IsWindowVisible());

    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(dialog().IsWindowVisible());
    EXPECT_FALSE(dialog().IsIconic());
    EXPECT_EQ(::GetForegroundWindow(), dialog().m_hWnd);

    // Active at the last idle moment: the click sends it away.
    Click(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(dialog().IsIconic());
    dialog().SendMessage(WM_KICKIDLE);
    EXPECT_FALSE(dialog().IsWindowVisible());

    // A click on the balloon shows it too, and never hides the active window.
    for (int click = 0; click < 2; ++click) {
        Click(NIN_BALLOONUSERCLICK);
        EXPECT_TRUE(dialog().IsWindowVisible());
        EXPECT_FALSE(dialog().IsIconic());
        EXPECT_EQ(::GetForegroundWindow(), dialog().m_hWnd);
    }

    // Shown but behind another application: brought forward, not hidden.
    HWND other = sim.Windows().CreateForeignWindow("Editor");
    ASSERT_TRUE(sim.Windows().IsAbove(other, dialog().m_hWnd));
    Click(WM_LBUTTONDOWN);
    EXPECT_FALSE(dialog().IsIconic());
    EXPECT_TRUE(sim.Windows().IsAbove(dialog().m_hWnd, other));
    EXPECT_EQ(::GetForegroundWindow(), dialog().m_hWnd);

    // Other mouse messages change nothing.
    sim.Log().Clear();
    Click(WM_MOUSEMOVE);
    Click(WM_LBUTTONUP);
    EXPECT_TRUE(sim.Log().Matching("ShowWindow(").empty());
}

TEST_F(NotifyIconTest, TheClickGoesByTheActivationAtTheLastIdleMoment) {
    // The panel takes the activation with the click, before the icon's message.
    dialog().ShowWindow(SW_RESTORE);
    dialog().SetForegroundWindow();
    dialog().SendMessage(WM_KICKIDLE);
    dialog().SendMessage(WM_NCACTIVATE, FALSE);
    dialog().SendMessage(WM_NOTIFYICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(dialog().IsIconic()) << "it was the active window";

    dialog().ShowWindow(SW_RESTORE);
    HWND other = sim.Windows().CreateForeignWindow("Editor");
    dialog().SendMessage(WM_NCACTIVATE, FALSE);
    dialog().SendMessage(WM_KICKIDLE);
    dialog().SendMessage(WM_NCACTIVATE, TRUE);
    dialog().SendMessage(WM_NOTIFYICON, 0, WM_LBUTTONDOWN);
    EXPECT_FALSE(dialog().IsIconic()) << "it was behind the editor";
    EXPECT_TRUE(sim.Windows().IsAbove(dialog().m_hWnd, other));
}

TEST_F(NotifyIconTest, IconAndPageMenuRequestsShowTheLoginStateAndTheChoiceArrives) {
    std::vector<std::string> texts;
    UINT loginState = 0, logoutState = 0, choice = 0;
    sim.Windows().SetMenuChooser([&](HMENU menu) -> UINT {
        texts.clear();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            texts.push_back(text);
        }
        loginState = ::GetMenuState(menu, IDM_LOGIN, MF_BYCOMMAND);
        logoutState = ::GetMenuState(menu, IDM_LOGOUT, MF_BYCOMMAND);
        EXPECT_NE(dialog().m_pTrackMenu, nullptr);
        return choice;
    });
    // The page asks on a monitor left of the primary one: the point is signed.
    dialog().SendMessage(WM_CONTEXTMENU, 0, MAKELONG(static_cast<WORD>(-300), 40));
    EXPECT_EQ(sim.Log().Count("TrackPopupMenu(w1, -300, 40, flags=2)"), 1u);
    EXPECT_EQ(texts.size(), 7u);
    EXPECT_TRUE(loginState & MF_GRAYED); // pending

    choice = IDM_LOGIN;
    dialog().m_bLoginPending = FALSE;
    dialog().SendMessage(WM_NOTIFYICON, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Configuration...", "&Login", "Log&out",
                                               "&Readme...", "&Info...", "", "&Quit"}));
    EXPECT_FALSE(loginState & MF_GRAYED);
    EXPECT_TRUE(logoutState & MF_GRAYED);
    EXPECT_EQ(dialog().m_pTrackMenu, nullptr);
    EXPECT_EQ(sim.Log().Count("TrackPopupMenu(w1, 100, 100, flags=4)"), 1u);

    // The chosen Login arrives as a command: log out (nothing to do), log in.
    sim.Log().Clear();
    PumpMessagesFor(10);
    EXPECT_EQ(Navigations().size(), 1u);
    EXPECT_TRUE(dialog().m_bLoginPending);
}

TEST_F(NotifyIconTest, OpenPopupFollowsALoginThatFinishesMeanwhile) {
    std::vector<UINT> states;
    sim.Windows().SetMenuChooser([&](HMENU menu) -> UINT {
        states.push_back(::GetMenuState(menu, IDM_LOGIN, MF_BYCOMMAND) & MF_GRAYED);
        states.push_back(::GetMenuState(menu, IDM_LOGOUT, MF_BYCOMMAND) & MF_GRAYED);
        // The console's logged-in page arrives while the menu is open.
        top->Load(LoggedInPage());
        states.push_back(::GetMenuState(menu, IDM_LOGIN, MF_BYCOMMAND) & MF_GRAYED);
        states.push_back(::GetMenuState(menu, IDM_LOGOUT, MF_BYCOMMAND) & MF_GRAYED);
        return 0;
    });
    ASSERT_TRUE(dialog().m_bLoginPending);
    dialog().SendMessage(WM_NOTIFYICON, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(states, (std::vector<UINT>{MF_GRAYED, MF_GRAYED, 0, 0}));
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged in");
    // Closed: later changes reach the system menu only.
    EXPECT_EQ(dialog().m_pTrackMenu, nullptr);
    dialog().Logout();
    EXPECT_TRUE(dialog().GetSystemMenu(FALSE)->GetMenuState(IDM_LOGOUT, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(NotifyIconTest, TheTipIsInTheUsersLanguageAndSetOnlyWhenItChanges) {
    LogIn();
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged in");
    // The same text again costs no call to the shell.
    const auto calls = sim.Shell().Calls().size();
    dialog().UpdateLoginState(nullptr);
    EXPECT_EQ(sim.Shell().Calls().size(), calls);

    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    dialog().UpdateLoginState(nullptr);
    EXPECT_TRUE(sim.Shell().Tip().ends_with(" - Angemeldet")) << sim.Shell().Tip();
}

TEST_F(NotifyIconTest, LoginAndAChangedConfigurationLogOutBeforeLoggingIn) {
    // Login does nothing while logged in: a navigation shows the logout came first.
    for (bool changed : {true, false}) {
        for (UINT command : {IDM_LOGIN, IDM_CONFIGURATION}) {
            auto link = LogIn(0);
            dialog().configurationAnswer = changed;
            sim.Log().Clear();
            dialog().SendMessage(WM_COMMAND, command);
            const bool logsInAgain = command == IDM_LOGIN || changed;
            EXPECT_EQ(link->Clicks(), logsInAgain ? 1 : 0) << command;
            EXPECT_EQ(Navigations().size(), logsInAgain ? 1u : 0u) << command;
        }
    }
}

TEST_F(NotifyIconTest, SystemMenuCommandsIgnoreTheLowBits) {
    auto link = LogIn();
    dialog().SendMessage(WM_SYSCOMMAND, IDM_LOGOUT | 0x7);
    EXPECT_EQ(link->Clicks(), 1);
    // The platform's own items keep working.
    dialog().SendMessage(WM_SYSCOMMAND, SC_MINIMIZE | 0x2);
    EXPECT_TRUE(dialog().IsIconic());
    EXPECT_FALSE(dialog().HandleCommand(IDOK, 0));
}

TEST_F(NotifyIconTest, MinimisedWindowPaintsItsIconCentred) {
    dialog().SendMessage(WM_PAINT);
    EXPECT_TRUE(sim.Log().Matching("DrawIcon(").empty());
    dialog().ShowWindow(SW_MINIMIZE);
    dialog().SendMessage(WM_PAINT);
    // An empty client area: (0 - 32 + 1) / 2 truncates towards zero.
    EXPECT_EQ(sim.Log().Matching("DrawIcon("), std::vector<std::string>{"DrawIcon(w1, -15, -15)"});
    EXPECT_EQ(reinterpret_cast<HICON>(dialog().SendMessage(WM_QUERYDRAGICON)),
              dialog().m_hSmallIcon);
}

} // namespace
