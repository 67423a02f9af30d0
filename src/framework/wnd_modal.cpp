// The framework's modal loop: the program's only message loop while a
// modal dialog runs.
#include "framework/afx_state.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

#include <algorithm>

namespace {

// Messages after which the loop counts as busy again: anything but paint.
bool IsIdleMessage(const MSG& msg) {
    return msg.message != WM_PAINT;
}

} // namespace

int CWnd::RunModalLoop(DWORD) {
    auto& loops = qv::framework::State().modalLoops;
    loops.push_back(this);
    struct Leave {
        std::vector<CWnd*>& loops;
        ~Leave() { loops.pop_back(); }
    } leave{loops};
    bool idle = true;
    LONG idleCount = 0;
    bool showOnIdle = !IsWindowVisible();
    m_bContinueModal = true;
    MSG msg;
    for (;;) {
        // Idle: show the window the first time, then WM_KICKIDLE until the
        // window answers 0 (no more idle work wanted).
        while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle && m_hWnd) {
                ShowWindow(SW_SHOWNORMAL);
                showOnIdle = false;
            }
            if (idleCount == 0)
                AfxDeleteTempMaps();
            if (!m_hWnd || !SendMessage(WM_KICKIDLE, 0, idleCount++))
                idle = false;
        }
        // Outside events (the browser's) are handled inside the wait, and a
        // nested pump in one of them may end this loop and take its wake-up
        // message with it: look at the loop's state after every round.
        while (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!ContinueModal() || !m_hWnd)
                return m_nModalResult;
            ::WaitMessageOrEvent(INFINITE);
        }
        do {
            if (!AfxPumpMessage()) {
                // The application ends; whoever loops outside must see it too.
                ::PostQuitMessage(static_cast<int>(AfxGetCurrentMessage().wParam));
                m_bContinueModal = false;
                return -1;
            }
            if (!ContinueModal() || !m_hWnd)
                return m_nModalResult;
            if (IsIdleMessage(AfxGetCurrentMessage())) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWnd::EndModalLoop(int result) {
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wakes the loop if it waits.
        PostMessage(WM_NULL);
    }
    // Modal windows running inside this loop go with it, as on Cancel:
    // quitting the program from its icon while the readme is open ends both.
    auto& loops = qv::framework::State().modalLoops;
    const auto self = std::find(loops.begin(), loops.end(), this);
    if (self == loops.end())
        return;
    for (auto inner = self + 1; inner != loops.end(); ++inner) {
        if ((*inner)->m_bContinueModal) {
            (*inner)->m_nModalResult = IDCANCEL;
            (*inner)->m_bContinueModal = false;
        }
    }
}
