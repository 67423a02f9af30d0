#include "platform/ui/message_queue.h"

#include <algorithm>

namespace qv::platform {

namespace {
constexpr UINT kMinimumElapse = 10;
}

MessageQueue::MessageQueue(Clock clock) : clock_(std::move(clock)) {}

MSG MessageQueue::Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const {
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = TickCount();
    return msg;
}

void MessageQueue::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    posted_.push_back(Make(hwnd, message, wParam, lParam));
    if (wake_)
        wake_();
}

void MessageQueue::PostQuit(int exitCode) {
    quit_ = exitCode;
    if (wake_)
        wake_();
}

bool MessageQueue::Matches(const MSG& msg, HWND hwnd, UINT first, UINT last) {
    if (hwnd && msg.hwnd != hwnd)
        return false;
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

bool MessageQueue::Peek(MSG& out, HWND hwnd, UINT first, UINT last, UINT flags) {
    const bool remove = (flags & PM_REMOVE) != 0;
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
        if (!Matches(*it, hwnd, first, last))
            continue;
        out = *it;
        if (remove)
            posted_.erase(it);
        return true;
    }
    if (quit_ && !hwnd) {
        out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(*quit_), 0);
        if (remove)
            quit_.reset();
        return true;
    }
    const std::uint64_t now = clock_();
    Timer* due = nullptr;
    for (Timer& timer : timers_) {
        MSG probe = Make(timer.hwnd, WM_TIMER, timer.id, 0);
        if (timer.due <= now && Matches(probe, hwnd, first, last) && (!due || timer.due < due->due))
            due = &timer;
    }
    if (!due)
        return false;
    out = Make(due->hwnd, WM_TIMER, due->id, 0);
    // One WM_TIMER however late: the next one counts from now, as on the platform.
    if (remove)
        due->due = now + due->elapse;
    return true;
}

bool MessageQueue::HasMessage() {
    MSG msg;
    return Peek(msg, nullptr, 0, 0, PM_NOREMOVE);
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    elapse = std::max(elapse, kMinimumElapse);
    if (!hwnd)
        id = ++nextThreadTimer_;
    const std::uint64_t due = clock_() + elapse;
    for (Timer& timer : timers_) {
        if (timer.hwnd == hwnd && timer.id == id) {
            timer.elapse = elapse;
            timer.due = due;
            return id ? id : 1;
        }
    }
    timers_.push_back({hwnd, id, elapse, due});
    // The caller kills a window timer by the id it got back, so answer the id.
    return id ? id : 1;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers_.end())
        return false;
    timers_.erase(it);
    return true;
}

std::optional<std::uint64_t> MessageQueue::TimeToNextTimer() const {
    if (timers_.empty())
        return std::nullopt;
    const std::uint64_t now = clock_();
    std::uint64_t earliest = timers_.front().due;
    for (const Timer& timer : timers_)
        earliest = std::min(earliest, timer.due);
    return earliest > now ? earliest - now : 0;
}

void MessageQueue::ForgetWindow(HWND hwnd) {
    std::erase_if(posted_, [&](const MSG& m) { return m.hwnd == hwnd; });
    std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd; });
}

} // namespace qv::platform
