// Navigation to the console and the bounded logout wait.
#include "console/pump_messages.h"
#include "system_fixture.h"

#include <optional>

namespace {

using qv::com::ComPtr;
using qv::sim::SimElement;
using qv::systest::MainWindowTest;

class LoginTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Configure("pabx.local");
        owned = std::make_unique<CBrowserDlg>();
        Open(*owned);
        sim.Log().Clear();
    }
    void TearDown() override {
        ::DestroyWindow(owned->m_hWnd);
        owned.reset();
        MainWindowTest::TearDown();
    }
    // A logout link whose page (the document-complete handling) takes the
    // link back answerMs after the click; without a time it never does.
    std::shared_ptr<SimElement> LogIn(std::optional<std::uint64_t> answerMs) {
        auto link = SimElement::Anchor("javascript:bttnVphoneLogout();");
        if (answerMs) {
            link->OnClick([this, answerMs] {
                sim.Clock().After(*answerMs, [this] { dialog().m_pLogoutElement.reset(); });
            });
        }
        dialog().m_pLogoutElement = qv::sim::LoneElement(link);
        dialog().m_bLoginPending = FALSE;
        return link;
    }
    // Milliseconds one Logout takes on the virtual clock.
    std::uint64_t TimeLogout() {
        const std::uint64_t start = sim.Clock().Now();
        dialog().Logout();
        return sim.Clock().Now() - start;
    }
    std::unique_ptr<CBrowserDlg> owned; // made once the resources are installed
    CBrowserDlg& dialog() { return *owned; }
};

TEST_F(LoginTest, LoginNavigatesWithoutCacheAndMarksItPending) {
    dialog().m_bLoginPending = FALSE;
    dialog().m_strUrlFormat = "http://%s:8080/app-main.asp?x=%d";
    dialog().Login();
    EXPECT_EQ(Navigations(),
              std::vector<std::string>{
                  "Navigate(top, http://pabx.local:8080/app-main.asp?x=%d, flags=4)"});
    EXPECT_TRUE(dialog().m_bLoginPending);
    EXPECT_TRUE(dialog().GetSystemMenu(FALSE)->GetMenuState(IDM_LOGIN, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(LoginTest, LoginWhileLoggedInOnlyDropsTheRetry) {
    auto link = LogIn(100);
    dialog().m_pRefreshBrowser = ComPtr<IWebBrowser2>(BrowserOf(dialog()));
    dialog().Login();
    EXPECT_TRUE(Navigations().empty());
    EXPECT_FALSE(dialog().m_bLoginPending);
    EXPECT_FALSE(dialog().m_pRefreshBrowser);
}

TEST_F(LoginTest, LongAndBrokenStartUrlsAreNavigatedAsTheyAre) {
    const std::string longUrl = "http://pabx/" + std::string(10000 - 12, 'a');
    const auto& navigations = BrowserOf(dialog())->Navigations();
    dialog().m_strUrlFormat = longUrl;
    dialog().Login();
    EXPECT_EQ(navigations.back(), longUrl);

    dialog().m_strUrlFormat = "http://pabx/\xff\xfe%s";
    dialog().Login();
    EXPECT_EQ(navigations.back(), "http://pabx/\xEF\xBF\xBD\xEF\xBF\xBDpabx.local");
}

TEST_F(LoginTest, LogoutWhileLoggedOutReturnsAtOnce) {
    dialog().m_bAutoLogin = TRUE;
    dialog().m_pRefreshBrowser = ComPtr<IWebBrowser2>(BrowserOf(dialog()));
    EXPECT_EQ(TimeLogout(), 0u);
    EXPECT_FALSE(dialog().m_pRefreshBrowser);
    EXPECT_EQ(sim.Log().Count("WaitCursor("), 0u);
}

TEST_F(LoginTest, LogoutEndsWhenThePageShowsItsLoginForm) {
    dialog().m_bAutoLogin = TRUE;
    bool autoLoginDuringWait = true;
    auto link = LogIn(1200);
    sim.Clock().After(600, [&] { autoLoginDuringWait = dialog().m_bAutoLogin; });
    EXPECT_EQ(TimeLogout(), 1200u);
    EXPECT_EQ(link->Clicks(), 1);
    EXPECT_FALSE(autoLoginDuringWait);
    EXPECT_TRUE(dialog().m_bAutoLogin);
    EXPECT_EQ(sim.Log().Matching("WaitCursor("),
              (std::vector<std::string>{"WaitCursor(on)", "WaitCursor(off)"}));
}

TEST_F(LoginTest, LogoutGivesUpAfterFiveSecondsAcrossTheTickWrap) {
    for (std::uint64_t start : {std::uint64_t(50000), std::uint64_t(0xFFFFFFFFu - 2000)}) {
        sim.Clock().Set(start);
        dialog().m_bAutoLogin = FALSE;
        LogIn(std::nullopt); // a console that never answers
        EXPECT_EQ(TimeLogout(), 5000u) << start;
        EXPECT_FALSE(dialog().m_pLogoutElement);
        EXPECT_FALSE(dialog().m_bAutoLogin);
        EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
        EXPECT_FALSE(sim.Windows().WaitCursor());
    }
}

TEST_F(LoginTest, AClickThePageHoldsUpCountsAgainstTheFiveSeconds) {
    auto link = LogIn(std::nullopt);
    link->OnClick([this] { sim.Clock().Advance(3000); }); // a busy page answers late
    EXPECT_EQ(TimeLogout(), 5000u);
    EXPECT_FALSE(dialog().m_pLogoutElement);
}

TEST_F(LoginTest, QuitInsideTheLogoutWaitEndsItAndIsPostedAgain) {
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

TEST_F(LoginTest, LinkDroppedByItsOwnClickNeedsNoWait) {
    auto link = SimElement::Anchor("javascript:bttnLogout()");
    link->OnClick([this] { dialog().m_pLogoutElement.reset(); });
    dialog().m_pLogoutElement = qv::sim::LoneElement(link);
    link.reset(); // the page holds nothing else: our reference was the last
    EXPECT_EQ(TimeLogout(), 0u);
}

TEST_F(LoginTest, PumpWaitsItsTimeDispatchingAndHandsQuitBack) {
    // The one-second timer keeps ticking inside the wait.
    const auto ticks = sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY");
    const std::uint64_t start = sim.Clock().Now();
    PumpMessagesFor(3500);
    EXPECT_EQ(sim.Clock().Now() - start, 3500u);
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY") - ticks, 3u);

    sim.Clock().After(100, [] { ::PostQuitMessage(0); });
    EXPECT_FALSE(PumpMessagesWhile(1000, [] { return true; }));
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
