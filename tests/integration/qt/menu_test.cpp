// Popup menus from the platform's menu model, and the system menu that
// Alt+Space opens.
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace qv::test {
namespace {

class MenuTest : public QtBackendTest {
protected:
    // Once the popup is open, runs act on it (from Qt's loop, as the user).
    void WhenOpen(std::function<void(QMenu*)> act) {
        auto* poll = new QTimer(ws_);
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act(menu);
        });
        poll->start();
    }
    static QAction* ActionNamed(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }
    static void Click(QMenu* menu, QAction* action) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
};

TEST_F(MenuTest, ChosenCommandIsReturnedAndGreyedItemsCannotBeChosen) {
    HWND hwnd = CreateWindow();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 10, "&One");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 20, "&Two");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 30, "Th&ree\tCtrl+R");
    bool greyedDisabled = false;
    bool stillOpenAfterGreyedClick = false;
    WhenOpen([&](QMenu* popup) {
        QAction* two = ActionNamed(popup, QStringLiteral("&Two"));
        greyedDisabled = two && !two->isEnabled();
        if (two)
            Click(popup, two);
        stillOpenAfterGreyedClick = popup->isVisible();
        Click(popup, ActionNamed(popup, QStringLiteral("Th&ree\tCtrl+R")));
    });
    const BOOL chosen =
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_CENTERALIGN, 300, 300, 0, hwnd, nullptr);
    EXPECT_EQ(chosen, 30);
    EXPECT_TRUE(greyedDisabled);
    EXPECT_TRUE(stillOpenAfterGreyedClick);
    DestroyMenu(menu);
}

TEST_F(MenuTest, MessagesAndTimersKeepFlowingWhileTheMenuIsOpen) {
    HWND hwnd = CreateWindow();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 10, "&One");
    ::SetTimer(hwnd, 7, 50, nullptr);
    ::PostMessageA(hwnd, WM_USER + 9, 0, 0);
    std::size_t timersWhileOpen = 0;
    bool postedWhileOpen = false;
    WhenOpen([&](QMenu* popup) {
        // Give the timer a few periods, then dismiss the menu.
        QTimer::singleShot(300, popup, [&, popup] {
            timersWhileOpen = SeenOf(hwnd, WM_TIMER).size();
            postedWhileOpen = !SeenOf(hwnd, WM_USER + 9).empty();
            QTest::keyClick(popup, Qt::Key_Escape);
        });
    });
    // Without TPM_RETURNCMD a dismissed menu posts nothing.
    EXPECT_TRUE(::TrackPopupMenu(menu, 0, 200, 200, 0, hwnd, nullptr));
    EXPECT_GE(timersWhileOpen, 2u);
    EXPECT_TRUE(postedWhileOpen);
    MSG msg;
    while (::PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        ADD_FAILURE() << "a dismissed menu sent a command";
    ::KillTimer(hwnd, 7);
    DestroyMenu(menu);
}

TEST_F(MenuTest, AltSpaceOpensTheSystemMenuWithTheProgramsItems) {
    HWND hwnd = CreateWindow();
    AppendMenuA(::GetSystemMenu(hwnd, FALSE), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(::GetSystemMenu(hwnd, FALSE), MF_STRING, 16, "&Info...");
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    QWidget* widget = ws_->Widget(hwnd);
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget));
    bool restoreGreyed = false;
    bool infoThere = false;
    WhenOpen([&](QMenu* popup) {
        QAction* restore = ActionNamed(popup, QStringLiteral("&Restore"));
        restoreGreyed = restore && !restore->isEnabled();
        infoThere = ActionNamed(popup, QStringLiteral("&Info...")) != nullptr;
        Click(popup, ActionNamed(popup, QStringLiteral("Mi&nimize")));
    });
    QTest::keyClick(widget, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(restoreGreyed);
    EXPECT_TRUE(infoThere);
    ASSERT_TRUE(PumpUntil([&] { return !SeenOf(hwnd, WM_SYSCOMMAND).empty(); }));
    EXPECT_EQ(SeenOf(hwnd, WM_SYSCOMMAND).front().wParam, WPARAM(SC_MINIMIZE));
    EXPECT_TRUE(::IsIconic(hwnd));
}

} // namespace
} // namespace qv::test
