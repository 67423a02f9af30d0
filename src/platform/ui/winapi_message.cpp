// Messages, the queue, timers and default processing.
#include "platform/ui/winapi.h"

#include <algorithm>

using qv::platform::GetWindowSystem;
using qv::platform::IWindowSystem;

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    IWindowSystem* ws = GetWindowSystem();
    auto* record = ws ? ws->Tree().Find(hwnd) : nullptr;
    if (!record || !record->proc)
        return 0;
    // A copy: the procedure may subclass or destroy its own window.
    qv::platform::WindowProcedure proc = record->proc;
    return proc(hwnd, message, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || (hwnd && !ws->Tree().Contains(hwnd)))
        return FALSE;
    ws->Queue().Post(hwnd, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    if (IWindowSystem* ws = GetWindowSystem())
        ws->Queue().PostQuit(exitCode);
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !msg)
        return FALSE;
    return ws->Queue().Peek(*msg, hwnd, first, last, flags) ? TRUE : FALSE;
}

BOOL WaitMessageTimeout(DWORD timeoutMs) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws)
        return FALSE;
    auto& queue = ws->Queue();
    const std::uint64_t start = queue.Now();
    for (;;) {
        if (queue.HasMessage())
            return TRUE;
        const std::uint64_t elapsed = queue.Now() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs)
            return FALSE;
        std::uint64_t wait = timeoutMs == INFINITE ? INFINITE : timeoutMs - elapsed;
        // Wake for our own timers too; the backend knows only outside events.
        if (auto next = queue.TimeToNextTimer())
            wait = std::min<std::uint64_t>(wait, *next);
        ws->WaitForEvents(static_cast<DWORD>(wait));
    }
}

BOOL WaitMessageOrEvent(DWORD timeoutMs) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws)
        return FALSE;
    auto& queue = ws->Queue();
    if (!queue.HasMessage()) {
        std::uint64_t wait = timeoutMs;
        if (auto next = queue.TimeToNextTimer())
            wait = std::min<std::uint64_t>(wait, *next);
        ws->WaitForEvents(static_cast<DWORD>(wait));
    }
    return queue.HasMessage() ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !msg)
        return FALSE;
    while (!ws->Queue().Peek(*msg, hwnd, first, last, PM_REMOVE))
        WaitMessageTimeout(INFINITE);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd)
        return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || (hwnd && !ws->Tree().Contains(hwnd)))
        return 0;
    return ws->Queue().SetTimer(hwnd, id, elapse);
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    IWindowSystem* ws = GetWindowSystem();
    return ws && ws->Queue().KillTimer(hwnd, id) ? TRUE : FALSE;
}

DWORD GetTickCount() {
    IWindowSystem* ws = GetWindowSystem();
    return ws ? ws->Queue().TickCount() : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !ws->Tree().Contains(hwnd))
        return 0;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_CLOSE:
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        default:
            break; // moving and sizing are the window manager's
        }
        return 0;
    // Let the session end, the activation change and the power event go on.
    case WM_QUERYENDSESSION:
    case WM_NCACTIVATE:
    case WM_POWERBROADCAST:
        return TRUE;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_TIMER:
    case WM_PARENTNOTIFY:
    case WM_KICKIDLE:
    case WM_DESTROY:
    case WM_NCDESTROY:
        return 0;
    default:
        return ws->DefaultProc(hwnd, message, wParam, lParam);
    }
}
