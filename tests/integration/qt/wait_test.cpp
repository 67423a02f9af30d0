// The wait for events blocks on Qt's loop: a posted message ends it at
// once, the timeout ends it on time, and it burns no processor time.
#include "test_support.h"

#include <QElapsedTimer>
#include <QTimer>
#include <ctime>

namespace qv::test {
namespace {

double ProcessCpuMs() {
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

class WaitTest : public QtBackendTest {
protected:
    // Creating windows queues wake-ups of their own; start from nothing.
    void Drain() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    QElapsedTimer clock_;
};

TEST_F(WaitTest, TimeoutEndsTheWaitWithoutSpinningAndAPostedMessageAtOnce) {
    clock_.start();
    const double cpuBefore = ProcessCpuMs();
    ws_->WaitForEvents(600);
    EXPECT_GE(clock_.elapsed(), 590);
    EXPECT_LT(clock_.elapsed(), 1500);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 60.0);

    HWND hwnd = CreateWindow();
    Drain();
    QTimer::singleShot(100, [hwnd] { ::PostMessageA(hwnd, WM_USER + 5, 1, 2); });
    clock_.start();
    ws_->WaitForEvents(10000);
    EXPECT_LT(clock_.elapsed(), 2000);
    EXPECT_GE(clock_.elapsed(), 90);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 5);
}

TEST_F(WaitTest, MessageWaitWakesForTheQueuesTimerAndQuit) {
    HWND hwnd = CreateWindow();
    Drain();
    ::SetTimer(hwnd, 1, 150, nullptr);
    clock_.start();
    const double cpuBefore = ProcessCpuMs();
    EXPECT_TRUE(::WaitMessageTimeout(5000));
    EXPECT_GE(clock_.elapsed(), 140);
    EXPECT_LT(clock_.elapsed(), 1500);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 60.0);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    ::KillTimer(hwnd, 1);

    Drain();
    QTimer::singleShot(50, [] { ::PostQuitMessage(3); });
    ASSERT_FALSE(::GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, WPARAM(3));
}

} // namespace
} // namespace qv::test
