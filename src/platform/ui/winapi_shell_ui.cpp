// Menus, metrics, the wait cursor, message boxes and painting.
#include "platform/ui/winapi.h"

using qv::platform::GetWindowSystem;
using qv::platform::IWindowSystem;

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    IWindowSystem* ws = GetWindowSystem();
    return ws ? ws->Tree().SystemMenu(hwnd, revert != FALSE) : nullptr;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND hwnd, const RECT*) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !menu || !ws->Tree().Contains(hwnd))
        return FALSE;
    UINT command = ws->TrackPopupMenu(menu, flags, x, y, hwnd);
    if (command) {
        const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
        if (state == 0xFFFFFFFF || (state & (MF_GRAYED | MF_DISABLED | MF_POPUP)))
            command = 0;
    }
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(command);
    if (command && !(flags & TPM_NONOTIFY))
        PostMessageA(hwnd, WM_COMMAND, command, 0);
    return TRUE;
}

BOOL GetCursorPos(POINT* point) {
    IWindowSystem* ws = GetWindowSystem();
    return ws && point ? ws->GetCursorPos(*point) : FALSE;
}

BOOL SystemParametersInfoA(UINT action, UINT, void* value, UINT) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !value || action != SPI_GETWORKAREA)
        return FALSE;
    *static_cast<RECT*>(value) = ws->WorkArea();
    return TRUE;
}

int GetSystemMetrics(int index) {
    return GetWindowSystem() ? GetWindowSystem()->GetSystemMetrics(index) : 0;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws)
        return 0;
    return ws->MessageBox(owner, text ? text : "", caption ? caption : "Error", type);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !paint || !ws->Tree().Contains(hwnd))
        return nullptr;
    return ws->BeginPaint(hwnd, *paint);
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    IWindowSystem* ws = GetWindowSystem();
    if (!ws || !paint || !ws->Tree().Contains(hwnd))
        return FALSE;
    ws->EndPaint(hwnd, *paint);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    IWindowSystem* ws = GetWindowSystem();
    return ws && dc && icon ? ws->DrawIcon(dc, x, y, icon) : FALSE;
}

void qv::platform::SetWaitCursor(bool on) {
    if (IWindowSystem* ws = GetWindowSystem())
        ws->SetWaitCursor(on);
}
