// The wait for events blocks on Qt's loop: a posted message ends it at
// once, the timeout ends it on time, and it burns no processor time.
#include "test_support.h"

#include <QElapsedTimer>
#include <QTimer>
#include <ctime>

namespace qv::test {
namespace {

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

class WaitTest : public QtBackendTest {
protected:
    // Creating windows queues wake-ups of their own; start from nothing.
    void Drain() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

TEST_F(WaitTest, PostedMessageEndsTheWait) {
    HWND hwnd = CreatePlainWindow(100, 100);
    Drain();
    QTimer::singleShot(100, [hwnd] { ::PostMessageA(hwnd, WM_USER + 5, 1, 2); });
    QElapsedTimer clock;
    clock.start();
    ws_->WaitForEvents(10000);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_GE(clock.elapsed(), 90);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 5);
}

TEST_F(WaitTest, TimeoutEndsTheWaitWithoutSpinning) {
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = ProcessCpuMs();
    ws_->WaitForEvents(600);
    const double cpu = ProcessCpuMs() - cpuBefore;
    EXPECT_GE(clock.elapsed(), 590);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_LT(cpu, 60.0);
}

TEST_F(WaitTest, MessageWaitWakesForTheQueuesTimerAndQuit) {
    HWND hwnd = CreatePlainWindow(100, 100);
    Drain();
    ::SetTimer(hwnd, 1, 150, nullptr);
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = ProcessCpuMs();
    EXPECT_TRUE(::WaitMessageTimeout(5000));
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_LT(clock.elapsed(), 1500);
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
