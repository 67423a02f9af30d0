// Held objects outliving their documents and their control, geometry, and
// the host's say over border and context menu.
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/browser/browser_view.h"
#include "browser_fixture.h"

#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>

namespace qv::browser_test {
namespace {

TEST_F(BrowserTest, HeldElementOfAReplacedDocumentIgnoresItsClick) {
    LogIn();
    ASSERT_FALSE(HasFatalFailure());
    ComPtr<IDispatch> frame = ButtonsFrame();
    ComPtr<IDispatch> document = DocumentOf(frame.get());
    ComPtr<IHTMLElement> logout = FindAnchor(document.get(), "javascript:bttnVphoneLogout();");
    ASSERT_TRUE(logout);

    ASSERT_GE(Open(Url("/help.asp")), 0);
    EXPECT_TRUE(FAILED(logout->click()));
    // The old document still reads as it was.
    EXPECT_TRUE(FindAnchor(document.get(), "javascript:bttnVphoneLogout();"));

    // The dialog goes while the program still holds the control.
    dialog->DestroyWindow();
    WaitUntil([] { return false; }, 300);
    EXPECT_TRUE(FAILED(logout->click()));
    EXPECT_TRUE(FAILED(frame.As<IWebBrowser2>()->Refresh()));
    EXPECT_TRUE(FAILED(
        browser->Navigate(com::ToBstr(Url("/help.asp")), nullptr, nullptr, nullptr, nullptr)));
    LONG width = -1;
    EXPECT_TRUE(FAILED(browser->get_Width(&width)));
    // Then the control itself goes; its frames and elements stay usable.
    browser.reset();
    dialog->events.clear();
    WaitUntil([] { return false; }, 300);
    EXPECT_TRUE(FAILED(logout->click()));
    IDispatch* application = reinterpret_cast<IDispatch*>(1);
    EXPECT_TRUE(FAILED(frame.As<IWebBrowser2>()->get_Application(&application)));
    EXPECT_EQ(application, nullptr);
    EXPECT_EQ(TitleOf(DocumentOf(frame.get()).get()), "Buttons");
    const auto state = ConsoleState();
    EXPECT_EQ(state.logouts, 0u);
    EXPECT_EQ(state.sessionUsers.size(), 1u);
}

TEST_F(BrowserTest, SizePutsResizeTheViewAndHostFlagsDecideItsBorder) {
    const HWND control = ::GetDlgItem(dialog->m_hWnd, BrowserDialog::kBrowserId);
    QWidget* container = ws->Widget(control);
    ASSERT_TRUE(container);
    LONG left = -1, top = -1, width = -1, height = -1;
    browser->get_Left(&left);
    browser->get_Top(&top);
    browser->get_Width(&width);
    browser->get_Height(&height);
    EXPECT_EQ(QRect(left, top, width, height), container->geometry());
    EXPECT_GT(left, 0);
    EXPECT_GT(top, 0);

    ASSERT_EQ(browser->put_Width(300), S_OK);
    ASSERT_EQ(browser->put_Height(200), S_OK);
    browser->get_Width(&width);
    browser->get_Height(&height);
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
    // No 3-D border asked: the view fills the control exactly.
    QWidget* view = Control(*dialog)->Bridge()->Widget();
    EXPECT_TRUE(WaitUntil([&] { return view->size() == QSize(300, 200); }, 5000))
        << view->width() << "x" << view->height();
    EXPECT_EQ(Control(*dialog)->View()->Holder()->frameShape(), QFrame::NoFrame);

    // A host without flags gets a border; without an external object the
    // page finds no members on window.external.
    host.flags = 0;
    host.external = nullptr;
    auto plain = OpenDialog();
    ASSERT_TRUE(plain);
    EXPECT_NE(Control(*plain)->View()->Holder()->frameShape(), QFrame::NoFrame);
    ASSERT_GE(Open(Url("/external.html"), plain.get()), 0);
    EXPECT_EQ(TitleOf(DocumentOf(plain->Dispatch().get()).get()), "CTI_IsBrowser=undefined");
    plain->DestroyWindow();
}

// The first clicks may come before the engine's widget takes input.
bool RightClickUntilAsked(QWidget* view, const HostConfig& host, int asked) {
    QWidget* target = view->focusProxy() ? view->focusProxy() : view;
    const QPointF at(40, 40);
    const QPointF global = target->mapToGlobal(at);
    for (int attempt = 0; attempt < 20; ++attempt) {
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::RightButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
        if (WaitUntil([&] { return host.contextMenus >= asked; }, 500))
            return true;
    }
    return false;
}

TEST_F(BrowserTest, ContextMenuIsTheHostsUnlessItLeavesItToTheEngine) {
    ASSERT_GE(Open(Url("/help.asp")), 0);
    QWidget* view = Control(*dialog)->Bridge()->Widget();

    host.contextMenuAnswer = S_OK; // the host showed its own
    ASSERT_TRUE(RightClickUntilAsked(view, host, 1));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    host.contextMenuAnswer = S_FALSE;
    const int before = host.contextMenus;
    ASSERT_TRUE(RightClickUntilAsked(view, host, before + 1));
    QWidget* menu = QApplication::activePopupWidget();
    EXPECT_TRUE(qobject_cast<QMenu*>(menu));
    if (menu)
        menu->close();
}

} // namespace
} // namespace qv::browser_test
