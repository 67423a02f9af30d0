#include "console/pump_messages.h"

#include "framework/win_app.h"
#include "platform/ui/winapi.h"

#include <algorithm>

namespace {

// Blocks until a message waits, an outside event came (a page loaded: the
// condition may have changed without any message) or the time is up.
void WaitForMessageOrEvent(DWORD timeoutMs) {
    auto* windows = qv::platform::GetWindowSystem();
    if (!windows)
        return;
    DWORD wait = timeoutMs;
    if (auto next = windows->Queue().TimeToNextTimer())
        wait = static_cast<DWORD>(std::min<std::uint64_t>(wait, *next));
    windows->WaitForEvents(wait);
}

} // namespace

bool PumpMessagesWhile(DWORD ms, const std::function<bool()>& keepWaiting) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (keepWaiting()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms)
            return true;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitForMessageOrEvent(ms - elapsed);
            continue;
        }
        if (!AfxPumpMessage()) {
            // Whoever loops outside must see the quit too.
            ::PostQuitMessage(static_cast<int>(AfxGetCurrentMessage().wParam));
            return false;
        }
    }
    return true;
}

void PumpMessagesFor(DWORD ms) {
    PumpMessagesWhile(ms, [] { return true; });
}
