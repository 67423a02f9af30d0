// The info dialog's lines in the template's patterns, and the second
// browser window: the console's configuration page in a window of its own,
// and the readme.
#include "../mainwnd/system_fixture.h"
#include "dialogs/info_dlg.h"
#include "dialogs/popup_browser_dlg.h"

#include <algorithm>

namespace {

using namespace qv::systest;

struct InfoLines {
    std::string product, version, copyright;
    bool seen = false;
};

class DialogsTest : public WindowTest {
protected:
    // Reads the lines of the info dialog once it is up, then presses OK.
    void ReadAndClose(InfoLines& lines) {
        sim.Clock().After(10, [this, &lines] {
            for (HWND hwnd : WindowsWith(IDC_COPYRIGHT, true)) {
                lines.product = qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_PRODUCT));
                lines.version = qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_VERSION));
                lines.copyright =
                    qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_COPYRIGHT));
                lines.seen = true;
                ::PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
            }
        });
    }
    // Top-level windows holding a second browser control.
    std::vector<HWND> PopupWindows() { return WindowsWith(IDC_POPUP_EXPLORER); }
    SimBrowser* PopupBrowser(HWND popup) {
        return sim.Windows().Browser(::GetDlgItem(popup, IDC_POPUP_EXPLORER));
    }
    RECT Rect(HWND hwnd) {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        return r;
    }
};

TEST_F(DialogsTest, TheInfoCommandShowsNameVersionAndCopyright) {
    InfoLines lines;
    ReadAndClose(lines);
    EXPECT_TRUE(dialog().HandleCommand(IDM_INFO, 0));
    ASSERT_TRUE(lines.seen) << "no info dialog came up";
    EXPECT_EQ(lines.product, "Quorvia Browser");
    EXPECT_EQ(lines.version, "Version 1.4.2");
    // The static shows one "&": the control's text holds two.
    EXPECT_EQ(lines.copyright, "Copyright \xC2\xA9 2026 Belmar && Partners");
}

// Patterns are resource text; they are filled without printf.
class PatternInfoDlg : public CInfoDlg {
public:
    BOOL OnInitDialog() override {
        GetDlgItem(IDC_PRODUCT)->SetWindowText("&About %s");
        GetDlgItem(IDC_VERSION)->SetWindowText("Build %d of %s, 100%%");
        GetDlgItem(IDC_COPYRIGHT)->SetWindowText("no pattern & no holder");
        return CInfoDlg::OnInitDialog();
    }
};

TEST_F(DialogsTest, InfoPatternsAreFilledWithoutPrintf) {
    PatternInfoDlg dialog;
    InfoLines lines;
    ReadAndClose(lines);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(lines.seen);
    // A mnemonic in a name line stays one.
    EXPECT_EQ(lines.product, "&About Quorvia Browser");
    EXPECT_EQ(lines.version, "Build %d of 1.4.2, 100%");
    EXPECT_EQ(lines.copyright, "no pattern && no holder");
}

TEST_F(DialogsTest, TheConsolesConfigurationPagesOpenInWindowsThatGoWhenClosed) {
    top->FireBeforeNavigate2("javascript:bttnConfig()");
    const auto answer = top->FireNewWindow2();
    EXPECT_FALSE(answer.cancel);
    const auto popups = PopupWindows();
    ASSERT_EQ(popups.size(), 1u);
    auto* browser = PopupBrowser(popups[0]);
    ASSERT_NE(browser, nullptr);
    // The page goes to our window's control, which the engine may find again.
    EXPECT_EQ(answer.window.get(), browser->AsDispatch());
    EXPECT_TRUE(browser->RegisteredAsBrowser());
    EXPECT_TRUE(::IsWindowVisible(popups[0]));
    // Owned by the main window, so it goes when the program ends.
    const auto ownedByMain = sim.Windows().Tree().Owned(dialog().m_hWnd);
    EXPECT_EQ(std::count(ownedByMain.begin(), ownedByMain.end(), popups[0]), 1);
    EXPECT_TRUE(browser->Navigations().empty()) << "the request brings its own page";

    browser->Load(SimDocument::Create("http://10.1.2.3/config.asp", "PABX settings"));
    EXPECT_EQ(qv::platform::GetWindowTextString(popups[0]), "PABX settings");

    // More requests, more windows, each going on its own: the page closes
    // itself (the object goes with the window, which the sanitizer build
    // would report if it leaked), the user presses Esc, or its control's
    // window goes rather than leave it lingering hidden.
    top->FireNewWindow2();
    top->FireNewWindow2();
    const auto all = PopupWindows();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_FALSE(browser->FireWindowClosing(false));
    ::PostMessageA(all[1], WM_COMMAND, IDCANCEL, 0);
    PumpMessagesFor(10);
    EXPECT_EQ(PopupWindows(), std::vector<HWND>{all[2]});
    ::DestroyWindow(::GetDlgItem(all[2], IDC_POPUP_EXPLORER));
    PumpMessagesFor(10);
    EXPECT_TRUE(PopupWindows().empty());
    EXPECT_TRUE(::IsWindow(dialog().m_hWnd));
}

TEST_F(DialogsTest, OtherNewWindowsAreLeftToTheControl) {
    for (const char* before : {"javascript:bttnHelp()", "http://10.1.2.3/other.asp"}) {
        top->FireBeforeNavigate2(before);
        const auto answer = top->FireNewWindow2();
        EXPECT_FALSE(answer.cancel) << before;
        EXPECT_EQ(answer.window, nullptr) << before;
        EXPECT_TRUE(PopupWindows().empty()) << before;
    }
}

TEST_F(DialogsTest, ResizingKeepsTheControlFillingTheWindowAndFramesKeepTheCaption) {
    top->FireBeforeNavigate2("javascript:bttnConfig()");
    top->FireNewWindow2();
    const HWND popup = PopupWindows().at(0);
    auto* browser = PopupBrowser(popup);
    ::MoveWindow(popup, 10, 10, 700, 500, TRUE);
    RECT client;
    ::GetClientRect(popup, &client);
    LONG width = 0, height = 0;
    browser->get_Width(&width);
    browser->get_Height(&height);
    // The template leaves one row below the control.
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom - 2);

    browser->Load(SimDocument::Create("http://10.1.2.3/config.asp", "Settings"));
    auto* frame = browser->AddFrame("inner");
    browser->put_Width(100);
    frame->Load(SimDocument::Create("http://10.1.2.3/inner.asp", "Inner"));
    EXPECT_EQ(qv::platform::GetWindowTextString(popup), "Settings");
    browser->get_Width(&width);
    EXPECT_EQ(width, client.right) << "a frame's completion still refits the control";
    ::PostMessageA(popup, WM_COMMAND, IDCANCEL, 0);
    PumpMessagesFor(10);
}

TEST_F(DialogsTest, TheReadmeShowsThePageOfThisProgramInTheUsersLanguage) {
    ::setenv("LC_ALL", "nl_NL.UTF-8", 1);
    bool seen = false;
    sim.Clock().After(10, [&] {
        const auto popups = PopupWindows();
        ASSERT_EQ(popups.size(), 1u);
        auto* browser = PopupBrowser(popups[0]);
        EXPECT_EQ(browser->Navigations(),
                  std::vector<std::string>{std::string("res://") + kExePath + "/readme-nl.htm"});
        seen = true;
        browser->FireWindowClosing(false);
    });
    EXPECT_TRUE(dialog().HandleCommand(IDM_README, 0));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(PopupWindows().empty());
}

TEST_F(DialogsTest, TheReadmeWindowTakesItsControlsPlaceHalfAsWideAgain) {
    // Made from its template the window's client area starts at 96, 138 on
    // the simulated screen, filled by a control of 367 x 524.
    struct Case {
        RECT work;
        int minWidth, minHeight;
        RECT expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1040}, 136, 39, {96, 138, 96 + 550, 138 + 524}},
        // The minimum tracking size is the least it gets.
        {{0, 0, 1920, 1040}, 600, 600, {96, 138, 96 + 600, 138 + 600}},
        // Only the minimum tracking size has to fit the work area: that it
        // does keeps the place, a window that does not is pulled back ...
        {{0, 0, 500, 500}, 250, 200, {96, 138, 96 + 550, 138 + 524}},
        {{0, 0, 300, 300}, 250, 200, {50, 100, 50 + 550, 100 + 524}},
        // ... but never beyond its left and top edges.
        {{200, 150, 300, 250}, 250, 200, {200, 150, 200 + 550, 150 + 524}},
    };
    for (const Case& c : cases) {
        sim.Windows().SetWorkArea(c.work);
        sim.Windows().SetMetric(SM_CXMINTRACK, c.minWidth);
        sim.Windows().SetMetric(SM_CYMINTRACK, c.minHeight);
        RECT placed{};
        sim.Clock().After(10, [&] {
            const HWND popup = PopupWindows().at(0);
            placed = Rect(popup);
            ::PostMessageA(popup, WM_COMMAND, IDCANCEL, 0);
        });
        dialog().HandleCommand(IDM_README, 0);
        EXPECT_EQ(std::vector<LONG>({placed.left, placed.top, placed.right, placed.bottom}),
                  std::vector<LONG>(
                      {c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << "work area right " << c.work.right;
    }
}

} // namespace
