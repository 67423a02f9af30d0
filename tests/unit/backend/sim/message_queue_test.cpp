// The shared message queue: order, WM_QUIT, filters and timers.
#include "platform/ui/message_queue.h"

#include <gtest/gtest.h>

namespace {

using qv::platform::MessageQueue;

HWND Window(std::uintptr_t n) {
    return reinterpret_cast<HWND>(n);
}

class MessageQueueTest : public ::testing::Test {
protected:
    std::uint64_t now = 1000;
    MessageQueue queue{[this] { return now; }};
    MSG msg;
};

TEST_F(MessageQueueTest, PostedMessagesComeBeforeQuitAndQuitBeforeTimers) {
    queue.SetTimer(Window(2), 1, 100);
    now += 500;
    queue.PostQuit(3);
    queue.Post(Window(2), WM_USER, 1, 0);
    queue.Post(Window(4), WM_USER, 2, 0);
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_FALSE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, PeekingWithoutRemovingLeavesTheMessageStampedWithTheTime) {
    queue.Post(Window(2), WM_USER, 7, 0);
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(queue.Peek(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.time, 1000u);
    EXPECT_FALSE(queue.HasMessage());
    // The tick count is the clock's low 32 bits.
    now = 0x1'0000'0005ull;
    EXPECT_EQ(queue.TickCount(), 5u);
}

TEST_F(MessageQueueTest, FiltersByWindowAndRange) {
    queue.Post(Window(2), WM_USER, 0, 0);
    queue.Post(Window(4), WM_TIMER, 0, 0);
    queue.PostQuit(0);
    ASSERT_TRUE(queue.Peek(msg, Window(4), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    // WM_QUIT belongs to the thread: a window filter does not see it.
    EXPECT_FALSE(queue.Peek(msg, Window(4), 0, 0, PM_REMOVE));
    ASSERT_TRUE(queue.Peek(msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, Window(2));
    // ... but any range does, as on the platform.
    ASSERT_TRUE(queue.Peek(msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_FALSE(queue.HasMessage());
}

TEST_F(MessageQueueTest, TimersAreReplacedByIdAndForgottenWithTheirWindow) {
    EXPECT_EQ(queue.SetTimer(Window(2), 1, 1000), 1u);
    EXPECT_EQ(queue.SetTimer(Window(2), 1, 200), 1u); // same window and id: replaced
    EXPECT_EQ(queue.TimeToNextTimer(), 200u);
    queue.SetTimer(Window(4), 1, 50);
    EXPECT_EQ(queue.TimeToNextTimer(), 50u);
    queue.ForgetWindow(Window(4));
    EXPECT_EQ(queue.TimeToNextTimer(), 200u);
    now += 199;
    EXPECT_FALSE(queue.HasMessage());
    now += 1;
    EXPECT_TRUE(queue.HasMessage());
    EXPECT_TRUE(queue.KillTimer(Window(2), 1));
    EXPECT_FALSE(queue.KillTimer(Window(2), 1));
    EXPECT_FALSE(queue.TimeToNextTimer().has_value());
}

} // namespace
