// The thread's message queue, shared by both backends: posted messages,
// WM_QUIT, timers and the millisecond tick count. A backend supplies the
// clock and feeds the queue; waiting for outside events stays the backend's.
#pragma once

#include "platform/ui/winuser.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace qv::platform {

class MessageQueue {
public:
    // Milliseconds of a monotonic clock; the tick count is its low 32 bits.
    using Clock = std::function<std::uint64_t()>;

    explicit MessageQueue(Clock clock);

    void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_QUIT comes after every message posted before it has been taken.
    void PostQuit(int exitCode);

    // As PeekMessage: posted messages in order, then WM_QUIT, then a timer
    // that is due (only when nothing else waits, as on the platform). A null
    // hwnd and a 0..0 range match everything.
    bool Peek(MSG& out, HWND hwnd, UINT first, UINT last, UINT flags);
    bool HasMessage();

    // Replaces a timer of the same window and id. An elapse below 10 ms is 10 ms.
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    // Milliseconds until the earliest timer is due (0 when one is due now).
    std::optional<std::uint64_t> TimeToNextTimer() const;

    // Drops the messages and timers of a window that is gone.
    void ForgetWindow(HWND hwnd);

    DWORD TickCount() const { return static_cast<DWORD>(clock_()); }
    std::uint64_t Now() const { return clock_(); }

    // Called after each post, so a backend blocked in its own loop can wake.
    void SetWakeHandler(std::function<void()> wake) { wake_ = std::move(wake); }

private:
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT elapse;
        std::uint64_t due;
    };

    static bool Matches(const MSG& msg, HWND hwnd, UINT first, UINT last);
    MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const;

    Clock clock_;
    std::deque<MSG> posted_;
    std::optional<int> quit_;
    std::vector<Timer> timers_;
    UINT_PTR nextThreadTimer_ = 0x7FF0;
    std::function<void()> wake_;
};

} // namespace qv::platform
