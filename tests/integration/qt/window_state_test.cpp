// Window states, placement, stacking and activation against openbox.
#include "test_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace qv::test {
namespace {

class WindowStateTest : public QtBackendTest {
protected:
    HWND ShowPlain() {
        HWND hwnd = CreatePlainWindow(300, 200);
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
        return hwnd;
    }
    unsigned long XId(HWND hwnd) { return static_cast<unsigned long>(ws_->Widget(hwnd)->winId()); }
    std::string NetWmState(unsigned long window) {
        return RunCommand("xprop -id " + std::to_string(window) + " _NET_WM_STATE");
    }
};

TEST_F(WindowStateTest, MinimiseHideAndRestoreKeepTheNormalRectangle) {
    HWND hwnd = ShowPlain();
    WINDOWPLACEMENT before;
    ASSERT_TRUE(::GetWindowPlacement(hwnd, &before));
    EXPECT_EQ(before.showCmd, UINT(SW_SHOWNORMAL));
    ClearSeen();

    ::ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(hwnd));
    auto sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_MINIMIZED);
    // Hidden in the notification area, it still counts as minimised.
    ::ShowWindow(hwnd, SW_HIDE);
    EXPECT_TRUE(::IsIconic(hwnd));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    WINDOWPLACEMENT hidden;
    ::GetWindowPlacement(hwnd, &hidden);
    EXPECT_EQ(hidden.showCmd, UINT(SW_SHOWMINIMIZED));
    EXPECT_EQ(hidden.rcNormalPosition, before.rcNormalPosition);

    ClearSeen();
    ::ShowWindow(hwnd, SW_RESTORE);
    ::SetForegroundWindow(hwnd);
    EXPECT_FALSE(::IsIconic(hwnd));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_RESTORED);
    EXPECT_EQ(sizes.back().lParam, LPARAM(MAKELONG(300, 200)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
    // Back so soon, Qt still counts it focused: the keyboard coming back is
    // an activation all the same.
    EXPECT_TRUE(PumpUntil([&] {
        const auto activations = SeenOf(hwnd, WM_NCACTIVATE);
        return !activations.empty() && activations.back().wParam == TRUE;
    }));
    EXPECT_TRUE(PumpUntil([&] {
        WINDOWPLACEMENT after;
        ::GetWindowPlacement(hwnd, &after);
        return after.rcNormalPosition == before.rcNormalPosition;
    }));
}

TEST_F(WindowStateTest, MinimisingByTheWindowManagerReachesTheProgram) {
    HWND hwnd = ShowPlain();
    ClearSeen();
    RunCommand("xdotool windowminimize " + std::to_string(XId(hwnd)));
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(hwnd) == TRUE; }));
    const auto sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_MINIMIZED);
    // The modal loop is woken so its idle work (hiding) can run.
    EXPECT_FALSE(SeenOf(hwnd, WM_NULL).empty());
}

TEST_F(WindowStateTest, CloseButtonBecomesSysCommandCloseUnlessDisabled) {
    HWND hwnd = ShowPlain();
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

TEST_F(WindowStateTest, ActivationChangesArriveAsNcActivate) {
    HWND first = ShowPlain();
    HWND second = ShowPlain();
    ::SetForegroundWindow(first);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == first; }));
    ClearSeen();
    ::SetForegroundWindow(second);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == second; }));
    ASSERT_TRUE(PumpUntil([&] {
        return !SeenOf(first, WM_NCACTIVATE).empty() && !SeenOf(second, WM_NCACTIVATE).empty();
    }));
    EXPECT_EQ(SeenOf(first, WM_NCACTIVATE).back().wParam, WPARAM(FALSE));
    EXPECT_EQ(SeenOf(second, WM_NCACTIVATE).back().wParam, WPARAM(TRUE));
}

TEST_F(WindowStateTest, TopmostBandWithoutActivationThenBottom) {
    HWND hwnd = ShowPlain();
    const unsigned long ours = XId(hwnd);
    QProcess foreign;
    foreign.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--foreign-window"), QStringLiteral("Other application")});
    ASSERT_TRUE(foreign.waitForReadyRead(10000));
    const unsigned long other = foreign.readLine().trimmed().toULong();
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(PollUntil([&] { return ActiveXWindow() == other; }, 5000));
    ASSERT_TRUE(PollUntil([&] { return StackIndex(other) > StackIndex(ours); }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == nullptr; }));

    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, keep);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, keep);
    EXPECT_TRUE(PollUntil([&] { return StackIndex(ours) > StackIndex(other); }, 5000));
    EXPECT_TRUE(PollUntil(
        [&] { return NetWmState(ours).find("_NET_WM_STATE_ABOVE") != std::string::npos; }, 5000));
    EXPECT_EQ(ActiveXWindow(), other);
    EXPECT_EQ(::GetForegroundWindow(), nullptr);

    // The user clicks into the other window: ours stays above it.
    RunCommand("xdotool windowactivate " + std::to_string(other));
    ASSERT_TRUE(PollUntil([&] { return ActiveXWindow() == other; }, 5000));
    EXPECT_GT(StackIndex(ours), StackIndex(other));

    ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, keep);
    EXPECT_TRUE(PollUntil([&] { return StackIndex(ours) < StackIndex(other); }, 5000));
    EXPECT_TRUE(PollUntil(
        [&] { return NetWmState(ours).find("_NET_WM_STATE_ABOVE") == std::string::npos; }, 5000));
    EXPECT_EQ(ActiveXWindow(), other);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    foreign.kill();
    foreign.waitForFinished();
}

TEST_F(WindowStateTest, HugeSizesAreCappedToTheDesktop) {
    HWND hwnd = CreatePlainWindow(300, 200);
    ClearSeen();
    ::MoveWindow(hwnd, 10, 10, 100000, 100000, FALSE);
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_LE(client.right, desktop.width());
    EXPECT_LE(client.bottom, desktop.height());
    EXPECT_GT(client.right, 300);
    const auto sizes = SeenOf(hwnd, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(LOWORD(sizes.back().lParam), client.right);
    EXPECT_EQ(HIWORD(sizes.back().lParam), client.bottom);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
}

TEST_F(WindowStateTest, MaximisedWindowKeepsItsRestoredRectangle) {
    HWND hwnd = ShowPlain();
    ::MoveWindow(hwnd, 120, 90, 420, 330, FALSE);
    RECT r{};
    ASSERT_TRUE(PumpUntil([&] {
        ::GetWindowRect(hwnd, &r);
        return r == RECT{120, 90, 540, 420};
    })) << r.left
        << "," << r.top << "," << r.right << "," << r.bottom;
    ::ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(::IsZoomed(hwnd));
    ASSERT_TRUE(PumpUntil([&] { return ws_->Widget(hwnd)->isMaximized(); }));
    WINDOWPLACEMENT placement;
    ::GetWindowPlacement(hwnd, &placement);
    EXPECT_EQ(placement.showCmd, UINT(SW_SHOWMAXIMIZED));
    EXPECT_EQ(placement.rcNormalPosition, (RECT{120, 90, 540, 420}));
    EXPECT_EQ(SeenOf(hwnd, WM_SIZE).back().wParam, SIZE_MAXIMIZED);
}

TEST_F(WindowStateTest, MetricsWorkAreaAndWaitCursor) {
    const RECT area = ws_->WorkArea();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_GE(area.left, screen.left());
    EXPECT_LE(area.right, screen.left() + screen.width());
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_EQ(::GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(::GetSystemMetrics(SM_CYICON), 32);
    EXPECT_GE(::GetSystemMetrics(SM_CXMINTRACK), 136);
    EXPECT_GE(::GetSystemMetrics(SM_CYMINTRACK), 39);
    platform::SetWaitCursor(true);
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::SetWaitCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace qv::test
