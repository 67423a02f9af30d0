// The login state machine driven by the console's pages: log in, stay
// logged in across a dropped session, the bounded logout wait, and the
// terminal retry.
#include "platform/debug_trace.h"
#include "system_fixture.h"

namespace {

using namespace qv::systest;

class LoginDecisionTest : public WindowTest {
protected:
    // A console page whose logout link brings the login page back.
    std::shared_ptr<SimElement> LoadLoggedIn(SimBrowser* frame,
                                             std::uint64_t logoutAnswerMs = 300) {
        auto page = LoggedInPage();
        auto link = page->Elements()[1];
        link->OnClick([this, frame, logoutAnswerMs] {
            sim.Clock().After(logoutAnswerMs, [frame] { frame->Load(LoginPage()); });
        });
        frame->Load(page);
        return link;
    }
    // A login page whose submit loads next (a page builder) after 200 ms.
    std::shared_ptr<SimDocument> LoginPageLeadingTo(std::function<void()> next) {
        auto page = LoginPage();
        page->Elements()[2]->OnClick([this, next] { sim.Clock().After(200, next); });
        return page;
    }
    std::size_t Fills() { return sim.Log().Count("value(input:pw)"); }
    std::size_t Submits() { return sim.Log().Count("click(input:submit)"); }
    bool MenuGreyed(UINT id) {
        return dialog().GetSystemMenu(FALSE)->GetMenuState(id, MF_BYCOMMAND) & MF_GRAYED;
    }
    // Milliseconds one Logout takes on the virtual clock.
    std::uint64_t TimeLogout() {
        const std::uint64_t start = sim.Clock().Now();
        dialog().Logout();
        return sim.Clock().Now() - start;
    }
};

TEST_F(LoginDecisionTest, LoginFormIsFilledSubmittedAndTheNextPageLogsIn) {
    ASSERT_TRUE(dialog().m_bLoginPending);
    top->Load(LoginPageLeadingTo([this] { LoadLoggedIn(top); }));
    EXPECT_EQ(Fills(), 1u);
    EXPECT_EQ(Submits(), 1u);
    // Submitted: no longer pending, not yet logged in.
    EXPECT_FALSE(dialog().m_bLoginPending);
    EXPECT_FALSE(dialog().m_pLogoutElement);
    EXPECT_FALSE(MenuGreyed(IDM_LOGIN));

    PumpMessagesFor(300);
    EXPECT_TRUE(dialog().m_pLogoutElement);
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged in");
    EXPECT_FALSE(MenuGreyed(IDM_LOGOUT));
    EXPECT_EQ(dialog().rows.size(), 0u);
}

TEST_F(LoginDecisionTest, DroppedSessionLogsInAgainAtOnceOnlyWithAutolog) {
    for (BOOL autoLogin : {TRUE, FALSE}) {
        dialog().m_bAutoLogin = autoLogin;
        LoadLoggedIn(top);
        ASSERT_TRUE(dialog().m_pLogoutElement);
        sim.Log().Clear();
        top->Load(LoginPage()); // the console ended the session
        EXPECT_FALSE(dialog().m_pLogoutElement);
        EXPECT_EQ(Fills(), autoLogin ? 1u : 0u);
        EXPECT_EQ(Submits(), autoLogin ? 1u : 0u);
        EXPECT_FALSE(dialog().m_bLoginPending);
        EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
    }
}

TEST_F(LoginDecisionTest, LogoutEndsWithTheLoginFormAndDoesNotLogInAgain) {
    dialog().m_bAutoLogin = TRUE;
    auto link = LoadLoggedIn(top, 700);
    sim.Log().Clear();
    EXPECT_EQ(TimeLogout(), 700u);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_EQ(Fills(), 0u); // the login form that came during the wait
    EXPECT_EQ(sim.Log().Matching("WaitCursor("),
              (std::vector<std::string>{"WaitCursor(on)", "WaitCursor(off)"}));
    EXPECT_FALSE(dialog().m_bLoginPending);
    EXPECT_TRUE(dialog().m_bAutoLogin);
    // The login form stays as it is until the user logs in.
    top->Load(LoginPage());
    EXPECT_EQ(Fills(), 0u);
}

TEST_F(LoginDecisionTest, WrongCredentialsAreSubmittedOnceAndTheDiagnosticsSayWhy) {
    qv::platform::SetTraceMask(unsigned(qv::platform::TraceCategory::Console));
    testing::internal::CaptureStderr();
    // The console answers every submit with its login form again.
    std::function<void()> reject = [&] { top->Load(LoginPageLeadingTo(reject)); };
    top->Load(LoginPageLeadingTo(reject));
    PumpMessagesFor(5000);
    const std::string log = testing::internal::GetCapturedStderr();
    qv::platform::SetTraceMask(0);
    EXPECT_NE(log.find("quorvia: console: login form: filling in user \"alice\"\n"
                       "quorvia: console: login form submitted\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("login form left alone: no login pending"), std::string::npos) << log;
    EXPECT_EQ(Submits(), 1u);
    EXPECT_EQ(sim.Log().Count("DocumentComplete(top"), 2u);
    EXPECT_FALSE(dialog().m_bLoginPending);
    EXPECT_FALSE(dialog().m_pLogoutElement);
}

TEST_F(LoginDecisionTest, PagesCompletingDuringTheFillsPausesDoNotFillAgain) {
    auto other = top->AddFrame("other");
    // While the first fill pauses: the same frame completes again, and a
    // second frame shows the form too.
    sim.Clock().After(50, [this] { top->FireDocumentComplete("again"); });
    sim.Clock().After(150, [other] { other->Load(LoginPage()); });
    top->Load(LoginPage());
    PumpMessagesFor(1000);
    EXPECT_EQ(Fills(), 1u);
    EXPECT_EQ(Submits(), 1u);
    EXPECT_EQ(other->Document()->Elements()[1]->Value(), "");
}

TEST_F(LoginDecisionTest, FrameReloadedDuringTheFillGetsTheFillOnItsNewDocument) {
    // The frame reloads while the fill pauses before its submit: the old
    // document's button is pressed on nothing, so the login stays pending
    // and the new document, which completed meanwhile, is filled.
    sim.Clock().After(150, [this] { top->Load(LoginPage()); });
    top->Load(LoginPage());
    PumpMessagesFor(1000);
    EXPECT_EQ(Submits(), 1u);
    EXPECT_EQ(top->Document()->Elements()[2]->Clicks(), 1);
    EXPECT_EQ(top->Document()->Elements()[1]->Value(), "s3cret");
    EXPECT_FALSE(dialog().m_bLoginPending);
}

// How the format becomes the address is the start-up tests' (app_tests); here
// the address a login navigates to is the console whose form gets the fill.
TEST_F(LoginDecisionTest, LoginNavigatesWithoutCacheToTheConsoleItThenFills) {
    dialog().m_bLoginPending = FALSE;
    dialog().m_strUrlFormat = "%s:8080/app-main.asp";
    dialog().Login();
    EXPECT_EQ(Navigations(), std::vector<std::string>{
                                 "Navigate(top, http://10.1.2.3:8080/app-main.asp, flags=4)"});
    EXPECT_TRUE(dialog().m_bLoginPending);
    EXPECT_TRUE(MenuGreyed(IDM_LOGIN));
    top->Load(LoginPage("http://10.1.2.3:8080/login.asp"));
    EXPECT_EQ(Fills(), 1u);
}

TEST_F(LoginDecisionTest, LoginWhileLoggedInOnlyDropsTheRetry) {
    LogIn();
    dialog().m_pRefreshBrowser = ComPtr<IWebBrowser2>(top);
    dialog().Login();
    EXPECT_TRUE(Navigations().empty());
    EXPECT_FALSE(dialog().m_bLoginPending);
    EXPECT_FALSE(dialog().m_pRefreshBrowser);
}

TEST_F(LoginDecisionTest, LogoutWhileLoggedOutOrByALinkItsClickDropsNeedsNoWait) {
    dialog().m_pRefreshBrowser = ComPtr<IWebBrowser2>(top);
    EXPECT_EQ(TimeLogout(), 0u);
    EXPECT_FALSE(dialog().m_pRefreshBrowser);
    EXPECT_EQ(sim.Log().Count("WaitCursor("), 0u);

    auto link = SimElement::Anchor("javascript:bttnLogout()");
    link->OnClick([this] { dialog().m_pLogoutElement.reset(); });
    dialog().m_pLogoutElement = LoneElement(link);
    link.reset(); // the page holds nothing else: our reference was the last
    EXPECT_EQ(TimeLogout(), 0u);
}

TEST_F(LoginDecisionTest, LogoutGivesUpAfterFiveSecondsCountingTheClickAcrossTheTickWrap) {
    for (std::uint64_t start : {std::uint64_t(50000), std::uint64_t(0xFFFFFFFFu - 2000)}) {
        for (std::uint64_t clickMs : {0u, 3000u}) {
            sim.Clock().Set(start);
            dialog().m_bAutoLogin = FALSE;
            // A console that never answers; a busy page holds the click up.
            auto link = LogIn(std::nullopt);
            link->OnClick([this, clickMs] { sim.Clock().Advance(clickMs); });
            EXPECT_EQ(TimeLogout(), 5000u) << start << " " << clickMs;
            EXPECT_FALSE(dialog().m_pLogoutElement);
            EXPECT_FALSE(dialog().m_bAutoLogin);
            EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
            EXPECT_FALSE(sim.Windows().WaitCursor());
        }
    }
}

TEST_F(LoginDecisionTest, QuitInsideTheLogoutWaitEndsItAndIsPostedAgain) {
    dialog().m_bAutoLogin = TRUE;
    LogIn(4000);
    sim.Clock().After(2000, [] { ::PostQuitMessage(3); });
    EXPECT_EQ(TimeLogout(), 2000u);
    EXPECT_FALSE(dialog().m_pLogoutElement);
    EXPECT_TRUE(dialog().m_bAutoLogin);
    EXPECT_FALSE(sim.Windows().WaitCursor());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(LoginDecisionTest, CredentialsGoOnlyToTheConsolesOwnHost) {
    // Another host's login form: left alone, and not taken as the console's.
    auto frame = top->AddFrame("ad");
    frame->Load(LoginPage("http://10.1.2.30/login.asp"));
    frame->Load(LoginPage("http://evil.example/?next=http://10.1.2.3/"));
    EXPECT_EQ(Fills(), 0u);
    EXPECT_TRUE(dialog().m_bLoginPending);
    // The console's logged-in page ends the pending login without a fill.
    LoadLoggedIn(top);
    EXPECT_FALSE(dialog().m_bLoginPending);
    frame->Load(LoginPage("http://evil.example/login.asp"));
    EXPECT_TRUE(dialog().m_pLogoutElement);
    EXPECT_EQ(Fills(), 0u);

    // The console's own host on https and another port still gets them.
    top->Load(LoginPage("https://10.1.2.3:8443/login.asp"));
    EXPECT_EQ(Fills(), 1u);
}

TEST_F(LoginDecisionTest, NoStartUrlNoCredentials) {
    // The window navigated nowhere yet: no page is the console, not even
    // one without a host.
    RecordingDlg fresh;
    fresh.m_bLoginPending = TRUE;
    auto page = LoginPage("file:///tmp/login.html");
    fresh.DecideLogin(page->Object(), nullptr);
    EXPECT_EQ(page->Elements()[1]->Value(), "");
    EXPECT_TRUE(fresh.m_bLoginPending);
}

TEST_F(LoginDecisionTest, EmptyTerminalListReloadsItsFrameEveryFifteenSecondsWithAutolog) {
    auto frame = top->AddFrame("main");
    frame->Load(TerminalPage());
    PumpMessagesFor(14500);
    EXPECT_EQ(frame->Refreshes(), 0);
    PumpMessagesFor(1000);
    EXPECT_EQ(frame->Refreshes(), 1);
    // The reload shows the list again: another round.
    frame->Load(TerminalPage());
    PumpMessagesFor(15000);
    EXPECT_EQ(frame->Refreshes(), 2);
    // A terminal is assigned now: no further reloads.
    frame->Load(TerminalPage("0", 2));
    PumpMessagesFor(30000);
    EXPECT_EQ(frame->Refreshes(), 2);
    EXPECT_EQ(top->Refreshes(), 0);
    // A login drops a pending retry.
    frame->Load(TerminalPage());
    PumpMessagesFor(5000);
    dialog().Login();
    PumpMessagesFor(11000);
    EXPECT_EQ(frame->Refreshes(), 2);
    // Without autolog the list is left as it is.
    dialog().m_bAutoLogin = FALSE;
    frame->Load(TerminalPage());
    PumpMessagesFor(16000);
    EXPECT_EQ(frame->Refreshes(), 2);
}

} // namespace
