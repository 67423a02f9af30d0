// Before-navigate with its cancel flag, new windows (refused, opened in a
// browser the host hands back, or left to the control), the page's close
// request, and frames that finish before their parent.
#include "backend/qt/bridge/page_bridge.h"
#include "browser_fixture.h"
#include "loopback_server.h"

#include <QApplication>
#include <QPointer>
#include <QWebEngineView>
#include <QWidget>

namespace qv::browser_test {
namespace {

// The visible top-level window with that title, if any.
QWidget* WindowTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    return nullptr;
}

TEST_F(BrowserTest, CancelledLinksAndWindowsNeverRunAWindowLeftToTheControlOpensPlain) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    dialog->cancelIf = [](const std::string& url) {
        return url.starts_with("javascript:bttnVphoneExit()");
    };
    dialog->onNewWindow = [](IDispatch**, BOOL* cancel) { *cancel = TRUE; };
    ComPtr<IDispatch> document = DocumentOf(ButtonsFrame().get());
    auto exit = FindAnchor(document.get(), "javascript:bttnVphoneExit()");
    auto help = FindAnchor(document.get(), "javascript:bttnHelp()");
    ASSERT_TRUE(exit && help);
    const std::size_t from = dialog->events.size();
    ASSERT_EQ(exit->click(), S_OK);
    ASSERT_EQ(help->click(), S_OK);
    // Commands run in order: once Help's window is asked for, Exit was
    // offered and stopped.
    ASSERT_GE(WaitForEvent(*dialog, DISPID_NEWWINDOW2, "", from), 0);
    EXPECT_GE(WaitForEvent(*dialog, DISPID_BEFORENAVIGATE2, "javascript:bttnVphoneExit()", from),
              0);
    EXPECT_GE(WaitForEvent(*dialog, DISPID_BEFORENAVIGATE2, "javascript:bttnHelp()", from), 0);
    const auto state = ConsoleState();
    EXPECT_EQ(state.logouts, 0u);
    EXPECT_EQ(state.sessionUsers.size(), 1u);

    // Left alone: a window of its own, with the session (the page needs it).
    // The cancelled window never loaded its page.
    dialog->onNewWindow = nullptr;
    const QString title = "PABX Console - Help";
    ASSERT_EQ(help->click(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return WindowTitled(title) != nullptr; }))
        << "no window for the help page";
    EXPECT_EQ(Requests("/help.asp"), 1);
    QPointer<QWidget> window = WindowTitled(title);
    // Its page closes it, as the help page's Close button does.
    auto* view = window->findChild<QWebEngineView*>();
    ASSERT_NE(view, nullptr);
    view->page()->runJavaScript("window.close()");
    EXPECT_TRUE(WaitUntil([&] { return window.isNull(); })) << "the window did not go";

    // One left open goes with the program's browser profile, before it.
    ASSERT_EQ(help->click(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return WindowTitled(title) != nullptr; }));
    window = WindowTitled(title);
    help.reset();
    exit.reset();
    document.reset();
    browser.reset();
    dialog->DestroyWindow();
    dialog.reset();
    platform::SetWindowSystem(nullptr);
    ws.reset();
    EXPECT_TRUE(window.isNull());
}

TEST_F(BrowserTest, NewWindowOpensInTheBrowserTheHostHandsBack) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    std::unique_ptr<BrowserDialog> popup;
    dialog->onNewWindow = [&](IDispatch** window, BOOL*) {
        popup = OpenDialog();
        ASSERT_TRUE(popup);
        auto control = popup->Browser();
        control->put_RegisterAsBrowser(VARIANT_TRUE);
        control->get_Application(window);
    };
    auto config = FindAnchor(DocumentOf(ButtonsFrame().get()).get(), "javascript:bttnConfig()");
    ASSERT_TRUE(config);
    ASSERT_EQ(config->click(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return popup != nullptr; }));
    const int done = WaitForEvent(*popup, DISPID_DOCUMENTCOMPLETE, "/config.asp");
    ASSERT_GE(done, 0);
    const BrowserEvent& complete = popup->events[std::size_t(done)];
    EXPECT_EQ(complete.frame.get(), popup->Dispatch().get());
    // Same profile: the session cookie came along.
    EXPECT_EQ(TitleOf(DocumentOf(complete.frame.get()).get()), "PABX Console - Configuration");
    popup->DestroyWindow();
}

// The console's pages end with their close button.
TEST_F(BrowserTest, PageCloseRequestReachesTheHostAsWindowClosingWhateverTheHistory) {
    dialog->cancelClose = true;
    // Three documents in the history, as the console's login leaves; each
    // navigation reaches the console.
    for (const char* path : {"/help.asp", "/external.html", "/help.asp"})
        ASSERT_GE(Open(Url(path)), 0) << path;
    EXPECT_EQ(Requests("/help.asp"), 2);
    // The host's own navigation is offered first, on the control.
    const int offered = WaitForEvent(*dialog, DISPID_BEFORENAVIGATE2, "/help.asp");
    ASSERT_GE(offered, 0);
    EXPECT_EQ(dialog->events[std::size_t(offered)].frame.get(), dialog->Dispatch().get());

    ComPtr<IHTMLElement> close = LastButton(DocumentOf(dialog->Dispatch().get()).get());
    ASSERT_TRUE(close);
    ASSERT_EQ(close->click(), S_OK);
    ASSERT_GE(WaitForEvent(*dialog, DISPID_WINDOWCLOSING, "top"), 0);
    // Cancelled: the control and its page stay.
    EXPECT_TRUE(::IsWindowVisible(dialog->m_hWnd));
    EXPECT_EQ(TitleOf(DocumentOf(dialog->Dispatch().get()).get()), "PABX Console - Help");
    // The page removes the button before the next click arrives: nothing
    // pressed, though the document is the same one.
    RunJs(Control(*dialog)->Bridge()->Page(), "document.querySelector('input').remove()");
    EXPECT_EQ(close->click(), E_FAIL);

    // Refresh reloads the top document from the console.
    const std::size_t from = dialog->events.size();
    ASSERT_EQ(browser->Refresh(), S_OK);
    EXPECT_GE(WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/help.asp", from), 0);
    EXPECT_EQ(Requests("/help.asp"), 3);
    EXPECT_EQ(dialog->Count(DISPID_WINDOWCLOSING), 1u);
}

TEST_F(BrowserTest, FrameDoneBeforeItsParentCompletesInItsOwnBrowserAfterTheParentsNavigation) {
    // A frame, then a slow script: the frame loads while its parent parses.
    // The parent's title says whether it did.
    LoopbackServer server;
    ASSERT_TRUE(server.Start());
    server.AddPage("/slow-parent.html", R"html(<html><head><title>Slow</title></head><body>
<script>document.addEventListener('DOMContentLoaded', function () {
    document.title = window.earlyDone ? 'child first' : 'parent first'; });</script>
<iframe name="early" src="/early.html"></iframe><script src="/slow.js"></script>
</body></html>)html");
    server.AddPage("/early.html", R"html(<html><head><title>Early</title></head>
<body onload="parent.earlyDone = true"><a href="javascript:bttnVphoneLogout();">Logout</a>
</body></html>)html");
    server.AddPage("/slow.js", "var slow = 1;", "text/javascript");
    server.Delay("/slow.js", 1500);
    ASSERT_GE(Open(server.Url("/slow-parent.html").toStdString()), 0);
    ASSERT_EQ(TitleOf(DocumentOf(dialog->Dispatch().get()).get()), "child first")
        << "the frame did not finish first";

    std::vector<std::pair<DISPID, std::string>> order;
    ComPtr<IDispatch> early;
    for (const BrowserEvent& e : dialog->events) {
        if (e.id != DISPID_NAVIGATECOMPLETE2 && e.id != DISPID_DOCUMENTCOMPLETE)
            continue;
        order.emplace_back(e.id, e.url.substr(e.url.rfind('/')));
        if (e.url.ends_with("/early.html"))
            early = e.frame;
    }
    const std::vector<std::pair<DISPID, std::string>> expected = {
        {DISPID_NAVIGATECOMPLETE2, "/slow-parent.html"},
        {DISPID_NAVIGATECOMPLETE2, "/early.html"},
        {DISPID_DOCUMENTCOMPLETE, "/early.html"},
        {DISPID_DOCUMENTCOMPLETE, "/slow-parent.html"}};
    EXPECT_EQ(order, expected);
    ASSERT_TRUE(early);
    EXPECT_NE(early.get(), dialog->Dispatch().get());
    EXPECT_TRUE(FindAnchor(DocumentOf(early.get()).get(), "javascript:bttnVphoneLogout();"));
}

} // namespace
} // namespace qv::browser_test
