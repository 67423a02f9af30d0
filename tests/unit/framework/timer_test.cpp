// Timers and waits on the virtual clock, the 32-bit tick wrap included.
#include "test_templates.h"

namespace {

class TickingDialog : public CDialog {
public:
    TickingDialog() { SetTemplate(qv::test::Dialog()); }
    std::vector<DWORD> ticks;
    int stopAfter = 5;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetTimer(1, 1000, nullptr);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override {
        EXPECT_EQ(id, 1u);
        ticks.push_back(GetTickCount());
        if (static_cast<int>(ticks.size()) == stopAfter)
            EndDialog(IDOK);
    }
};

using TimerTest = qv::test::FrameworkTest;

TEST_F(TimerTest, TicksEverySecondAcrossTheTickCountWrap) {
    sim.Clock().Set(0xFFFFF000ull); // 4096 ms before the 32-bit counter wraps
    TickingDialog dialog;
    dialog.DoModal();
    ASSERT_EQ(dialog.ticks.size(), 5u);
    for (std::size_t i = 1; i < dialog.ticks.size(); ++i)
        EXPECT_EQ(DWORD(dialog.ticks[i] - dialog.ticks[i - 1]), 1000u) << i;
    EXPECT_LT(dialog.ticks.back(), dialog.ticks.front()); // it did wrap
}

TEST_F(TimerTest, TimerMessagesWaitUntilTheQueueIsEmpty) {
    HWND target = sim.Windows().CreateForeignWindow("target");
    SetTimer(target, 9, 100, nullptr);
    sim.Clock().Advance(150);
    PostMessageA(target, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, 9u);
    // However late, one WM_TIMER; the next counts from now.
    sim.Clock().Advance(1000);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(KillTimer(target, 9));
    sim.Clock().Advance(1000);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(TimerTest, BoundedWaitAcrossTheWrapLastsItsFullTime) {
    sim.Clock().Set(0xFFFFFFFFull - 1000);
    const DWORD start = GetTickCount();
    // Nothing comes: the wait passes its whole time on the clock, not a busy loop.
    while (DWORD(GetTickCount() - start) < 5000u)
        EXPECT_FALSE(WaitMessageTimeout(5000 - DWORD(GetTickCount() - start)));
    EXPECT_EQ(DWORD(GetTickCount() - start), 5000u);
    EXPECT_LT(GetTickCount(), start);
}

TEST_F(TimerTest, WaitEndsWhenAnOutsideEventPostsAMessage) {
    HWND target = sim.Windows().CreateForeignWindow("target");
    sim.Clock().After(300, [&] { PostMessageA(target, WM_USER, 0, 0); });
    const DWORD start = GetTickCount();
    EXPECT_TRUE(WaitMessageTimeout(5000));
    EXPECT_EQ(GetTickCount() - start, 300u);
}

TEST_F(TimerTest, AWaitForEverWithNothingToComeIsReportedNotHung) {
    EXPECT_THROW(WaitMessageTimeout(INFINITE), std::logic_error);
}

} // namespace
