// The modal loop, message dispatch and default processing.
#include "test_templates.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr UINT WM_APPNOTE = WM_USER + 1;

class CountingDialog : public CDialog {
public:
    CountingDialog() {
        SetTemplate(qv::test::Dialog());
        MapMessage(WM_APPNOTE, &CountingDialog::OnAppNote);
    }
    int kickIdles = 0;
    int notes = 0;
    LPARAM lastNote = 0;
    std::vector<UINT> preTranslated;

protected:
    LRESULT OnKickIdle(WPARAM, LPARAM) override {
        ++kickIdles;
        return 0;
    }
    LRESULT OnAppNote(WPARAM, LPARAM lParam) {
        ++notes;
        lastNote = lParam;
        return 0;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        preTranslated.push_back(msg->message);
        return CDialog::PreTranslateMessage(msg);
    }
};

using ModalLoopTest = qv::test::FrameworkTest;

// A dialog nobody answers while a timer keeps the loop busy would spin the
// virtual clock for ever; the simulation stops it with a clear error.
TEST_F(ModalLoopTest, AnUnansweredDialogWithATimerFailsInsteadOfHanging) {
    CountingDialog dialog;
    sim.Clock().After(1, [&] { dialog.SetTimer(1, 1000, nullptr); });
    EXPECT_THROW(dialog.DoModal(), std::logic_error);
}

TEST_F(ModalLoopTest, KickIdleIsSentOncePerIdlePeriod) {
    CountingDialog dialog;
    // Three separate bursts of messages, each followed by quiet.
    for (int t : {100, 200, 300}) {
        sim.Clock().At(t, [&] {
            dialog.PostMessage(WM_APPNOTE, 0, 1);
            dialog.PostMessage(WM_APPNOTE, 0, 2);
        });
    }
    sim.Clock().At(400, [&] { dialog.EndDialog(IDOK); });
    dialog.DoModal();
    EXPECT_EQ(dialog.notes, 6);
    EXPECT_EQ(dialog.lastNote, 2);
    // Once at the start, once after each burst; not again while nothing came.
    EXPECT_EQ(dialog.kickIdles, 4);
}

TEST_F(ModalLoopTest, QuitInsideTheLoopEndsItAndIsPostedAgain) {
    CountingDialog dialog;
    sim.Clock().After(50, [] { PostQuitMessage(7); });
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
}

// Escape comes as a key through the pre-translation.
TEST_F(ModalLoopTest, CloseBoxAndEscapeAreCancel) {
    for (UINT message : {UINT(WM_CLOSE), UINT(WM_KEYDOWN)}) {
        CountingDialog dialog;
        sim.Clock().After(10, [&] { dialog.PostMessage(message, VK_ESCAPE); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << message;
        EXPECT_NE(std::ranges::find(dialog.preTranslated, message), dialog.preTranslated.end());
    }
}

TEST_F(ModalLoopTest, DefaultProcessingAnswers) {
    CountingDialog dialog;
    sim.Clock().After(10, [&] {
        EXPECT_EQ(dialog.SendMessage(WM_QUERYENDSESSION), TRUE);
        EXPECT_EQ(dialog.SendMessage(WM_NCACTIVATE, FALSE), TRUE);
        EXPECT_EQ(dialog.SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
        // A system-menu minimise goes through the default processing.
        dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        EXPECT_TRUE(dialog.IsIconic());
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
}

TEST_F(ModalLoopTest, OwnerIsDisabledDuringTheRunAndEnabledAfter) {
    CountingDialog owner;
    ASSERT_TRUE(owner.Create(0u));
    CDialog inner(0u, &owner);
    inner.SetTemplate(qv::test::Dialog("Inner"));
    sim.Clock().After(10, [&] {
        EXPECT_FALSE(owner.IsWindowEnabled());
        inner.EndDialog(IDRETRY);
    });
    EXPECT_EQ(inner.DoModal(), IDRETRY); // whatever result it was ended with
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

// Quit from the icon's menu while a modal window of the program is open: the
// outer run ends, and the inner one with it, as on Cancel.
TEST_F(ModalLoopTest, EndingAModalRunEndsTheRunsNestedInIt) {
    CountingDialog outer;
    CDialog inner(0u, &outer);
    inner.SetTemplate(qv::test::Dialog("Inner"));
    INT_PTR innerResult = 0;
    sim.Clock().After(10, [&] {
        sim.Clock().After(10, [&] { outer.EndDialog(IDOK); });
        innerResult = inner.DoModal();
    });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(innerResult, IDCANCEL);
    EXPECT_EQ(inner.m_hWnd, nullptr);
}

class ParentNotifyDialog : public CDialog {
public:
    ParentNotifyDialog() {
        auto dialog = qv::test::Dialog();
        dialog.controls.push_back(qv::test::Control("Button", 1000));
        SetTemplate(dialog);
    }
    std::vector<std::pair<UINT, LPARAM>> notes;

protected:
    void OnParentNotify(UINT message, LPARAM lParam) override {
        notes.emplace_back(message, lParam);
        CDialog::OnParentNotify(message, lParam);
    }
};

TEST_F(ModalLoopTest, ChildDestroyedOnItsOwnTellsItsParentOnlyThen) {
    ParentNotifyDialog dialog;
    ASSERT_TRUE(dialog.Create(0u));
    HWND child = ::GetDlgItem(dialog.m_hWnd, 1000);
    ASSERT_NE(child, nullptr);
    ::DestroyWindow(child);
    ASSERT_EQ(dialog.notes.size(), 1u);
    EXPECT_EQ(dialog.notes[0].first, WM_DESTROY);
    EXPECT_EQ(dialog.notes[0].second, reinterpret_cast<LPARAM>(child));

    auto second = std::make_unique<ParentNotifyDialog>();
    ASSERT_TRUE(second->Create(0u));
    second->DestroyWindow();
    EXPECT_TRUE(second->notes.empty());
    dialog.DestroyWindow();
}

class SelfDeletingDialog : public CDialog {
public:
    explicit SelfDeletingDialog(bool* deleted) : deleted_(deleted) {
        SetTemplate(qv::test::Dialog());
    }
    ~SelfDeletingDialog() override { *deleted_ = true; }

protected:
    void OnCancel() override { DestroyWindow(); }
    void PostNcDestroy() override { delete this; }

private:
    bool* deleted_;
};

TEST_F(ModalLoopTest, ModelessDialogDeletesItselfWhenItsWindowGoes) {
    bool deleted = false;
    auto* dialog = new SelfDeletingDialog(&deleted);
    ASSERT_TRUE(dialog->Create(0u));
    HWND hwnd = dialog->m_hWnd;
    ::SendMessageA(hwnd, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(hwnd));
}

} // namespace

// An outside event (a browser callback) runs a nested pump that dispatches the
// close and so takes the loop's wake-up message; the loop must still end.
TEST_F(ModalLoopTest, EndDialogInsideANestedPumpOfAnOutsideEventEndsTheRun) {
    CountingDialog dialog;
    sim.Clock().After(100, [&] {
        dialog.PostMessage(WM_CLOSE);
        MSG msg;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 50) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            WaitMessageTimeout(50 - (GetTickCount() - start));
        }
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}
