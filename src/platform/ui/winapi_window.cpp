// Window calls: bookkeeping in the shared tree, the rest in the backend.
#include "platform/ui/winapi.h"

#include <algorithm>
#include <cstring>

using qv::platform::GetWindowSystem;
using qv::platform::IWindowSystem;

namespace {

qv::platform::WindowRecord* Record(HWND hwnd) {
    IWindowSystem* ws = GetWindowSystem();
    return ws ? ws->Tree().Find(hwnd) : nullptr;
}

void DestroyTree(IWindowSystem& ws, HWND hwnd, bool root) {
    auto* record = ws.Tree().Find(hwnd);
    if (!record || record->destroying)
        return;
    record->destroying = true;
    const HWND parent = record->parent;
    // A child destroyed on its own tells its parent first; one that goes
    // with its parent does not.
    if (root && record->IsChild() && parent && !(record->exStyle & WS_EX_NOPARENTNOTIFY)) {
        SendMessageA(parent, WM_PARENTNOTIFY, MAKELONG(WM_DESTROY, WORD(record->id)),
                     reinterpret_cast<LPARAM>(hwnd));
    }
    for (HWND owned : ws.Tree().Owned(hwnd))
        DestroyTree(ws, owned, true);
    if (!ws.Tree().Find(hwnd)->IsChild() && ws.IsWindowVisible(hwnd))
        ws.ShowWindow(hwnd, SW_HIDE);
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : ws.Tree().Children(hwnd))
        DestroyTree(ws, child, false);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    ws.Queue().ForgetWindow(hwnd);
    ws.WindowDestroyed(hwnd);
    ws.Tree().Remove(hwnd);
}

} // namespace

BOOL IsWindow(HWND hwnd) {
    return Record(hwnd) ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
    IWindowSystem* ws = GetWindowSystem();
    auto* record = Record(hwnd);
    if (!record || record->destroying)
        return FALSE;
    DestroyTree(*ws, hwnd, true);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command) {
    return Record(hwnd) ? GetWindowSystem()->ShowWindow(hwnd, command) : FALSE;
}
BOOL IsIconic(HWND hwnd) {
    return Record(hwnd) ? GetWindowSystem()->IsIconic(hwnd) : FALSE;
}
BOOL IsZoomed(HWND hwnd) {
    return Record(hwnd) ? GetWindowSystem()->IsZoomed(hwnd) : FALSE;
}
BOOL IsWindowVisible(HWND hwnd) {
    return Record(hwnd) ? GetWindowSystem()->IsWindowVisible(hwnd) : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return Record(hwnd) ? GetWindowSystem()->SetWindowPos(hwnd, insertAfter, x, y, cx, cy, flags)
                        : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
    return Record(hwnd) ? GetWindowSystem()->MoveWindow(hwnd, x, y, cx, cy, repaint) : FALSE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    return Record(hwnd) ? GetWindowSystem()->SetForegroundWindow(hwnd) : FALSE;
}
HWND GetForegroundWindow() {
    return GetWindowSystem() ? GetWindowSystem()->GetForegroundWindow() : nullptr;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    return placement && Record(hwnd) ? GetWindowSystem()->GetWindowPlacement(hwnd, *placement)
                                     : FALSE;
}
BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    return rect && Record(hwnd) ? GetWindowSystem()->GetWindowRect(hwnd, *rect) : FALSE;
}
BOOL GetClientRect(HWND hwnd, RECT* rect) {
    return rect && Record(hwnd) ? GetWindowSystem()->GetClientRect(hwnd, *rect) : FALSE;
}
BOOL ClientToScreen(HWND hwnd, POINT* point) {
    return point && Record(hwnd) ? GetWindowSystem()->ClientToScreen(hwnd, *point) : FALSE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                         : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    return Record(hwnd) ? GetWindowSystem()->EnableWindow(hwnd, enable) : FALSE;
}
BOOL IsWindowEnabled(HWND hwnd) {
    return Record(hwnd) ? GetWindowSystem()->IsWindowEnabled(hwnd) : FALSE;
}

HWND SetFocus(HWND hwnd) {
    if (!GetWindowSystem() || (hwnd && !Record(hwnd)))
        return nullptr;
    return GetWindowSystem()->SetFocus(hwnd);
}
HWND GetFocus() {
    return GetWindowSystem() ? GetWindowSystem()->GetFocus() : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    return Record(dialog) ? GetWindowSystem()->Tree().ChildById(dialog, id) : nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    auto* record = Record(hwnd);
    return record && record->IsChild() ? record->id : 0;
}

HWND GetParent(HWND hwnd) {
    auto* record = Record(hwnd);
    return record ? record->parent : nullptr;
}

LONG GetWindowLongA(HWND hwnd, int index) {
    auto* record = Record(hwnd);
    if (!record)
        return 0;
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(record->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(record->exStyle);
    case GWL_ID:
        return record->id;
    default:
        return 0;
    }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
    if (!proc || !Record(parent))
        return FALSE;
    // A snapshot: windows made or destroyed by proc do not upset the walk.
    for (HWND child : GetWindowSystem()->Tree().Descendants(parent)) {
        if (Record(child) && !proc(child, param))
            break;
    }
    return TRUE;
}

std::string qv::platform::GetWindowTextString(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0)
        return {};
    std::string text(std::size_t(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(std::size_t(std::max(copied, 0)));
    return text;
}
