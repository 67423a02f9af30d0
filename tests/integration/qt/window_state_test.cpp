// Window states and placement against openbox, beyond the shared contract.
#include "test_support.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace qv::test {
namespace {

class WindowStateTest : public QtBackendTest {
protected:
    unsigned long XId(HWND hwnd) { return static_cast<unsigned long>(ws_->Widget(hwnd)->winId()); }
};

TEST_F(WindowStateTest, MinimisingByTheWindowManagerReachesTheProgram) {
    HWND hwnd = ShowWindow();
    seen.clear();
    RunCommand("xdotool windowminimize " + std::to_string(XId(hwnd)));
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(hwnd) == TRUE; }));
    const auto sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_MINIMIZED);
    // The modal loop is woken so its idle work (hiding) can run.
    EXPECT_FALSE(SeenOf(hwnd, WM_NULL).empty());
}

TEST_F(WindowStateTest, CloseButtonBecomesSysCommandCloseUnlessDisabled) {
    HWND hwnd = ShowWindow();
    ::EnableWindow(hwnd, FALSE);
    RunCommand("wmctrl -i -c " + std::to_string(XId(hwnd)));
    EXPECT_FALSE(PumpUntil([&] { return !SeenOf(hwnd, WM_SYSCOMMAND).empty(); }, 700));
    ::EnableWindow(hwnd, TRUE);
    RunCommand("wmctrl -i -c " + std::to_string(XId(hwnd)));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    const auto commands = SeenOf(hwnd, WM_SYSCOMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(SC_CLOSE));
    EXPECT_EQ(SeenOf(hwnd, WM_CLOSE).size(), 1u);
}

TEST_F(WindowStateTest, HugeSizesAreCappedToTheDesktop) {
    HWND hwnd = CreateWindow();
    seen.clear();
    ::MoveWindow(hwnd, 10, 10, 100000, 100000, FALSE);
    const QSize whole = QGuiApplication::primaryScreen()->virtualGeometry().size();
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_LE(client.right, whole.width());
    EXPECT_LE(client.bottom, whole.height());
    EXPECT_GT(client.right, 300);
    const auto sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(LOWORD(sizes.back().lParam), client.right);
    EXPECT_EQ(HIWORD(sizes.back().lParam), client.bottom);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
}

TEST_F(WindowStateTest, WorkAreaAndWaitCursor) {
    const RECT area = ws_->WorkArea();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_GE(area.left, screen.left());
    EXPECT_LE(area.right, screen.left() + screen.width());
    EXPECT_GT(area.right - area.left, 0);
    platform::SetWaitCursor(true);
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::SetWaitCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace qv::test
