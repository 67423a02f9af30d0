// The window system the framework stands on. A backend (Qt for the desktop,
// the simulation for tests) implements it; main() or a test fixture picks
// one with SetWindowSystem. The Win32-shaped free functions in winapi.h
// forward to it.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"
#include "platform/module/dialog_template.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/window_tree.h"
#include "platform/ui/winuser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform {

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // Bookkeeping shared by every backend; the backend owns both.
    virtual MessageQueue& Queue() = 0;
    virtual WindowTree& Tree() = 0;

    // Blocks until an outside event may have queued a message or the time
    // is up (INFINITE: no limit). Never spins. The queue's own timers are
    // the caller's business: it passes the time to the next one.
    virtual void WaitForEvents(DWORD timeoutMs) = 0;

    // Builds a dialog window and its controls from a parsed template, owned
    // by owner, hidden until shown. Controls get the backend's procedures;
    // the dialog gets proc. ActiveX controls (class "{...}") are created as
    // the backend's hosted object, reachable through ControlObject.
    virtual HWND CreateDialogWindow(const DialogTemplate& dialog,
                                    const std::vector<DlgInitRecord>& init, HWND owner,
                                    WindowProcedure proc) = 0;
    virtual HWND CreateToolTipWindow(HWND owner) = 0;
    // The hosted object of an ActiveX control window, or null.
    virtual com::ComPtr<IUnknown> ControlObject(HWND control) = 0;
    // The window left the tree; the backend drops what it kept for it.
    virtual void WindowDestroyed(HWND hwnd) = 0;

    // Default processing of what lives in the backend: text, icons, painting.
    virtual LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    virtual BOOL ShowWindow(HWND hwnd, int command) = 0;
    virtual BOOL IsIconic(HWND hwnd) = 0;
    virtual BOOL IsZoomed(HWND hwnd) = 0;
    virtual BOOL IsWindowVisible(HWND hwnd) = 0;
    virtual BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                              UINT flags) = 0;
    virtual BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) = 0;
    virtual BOOL SetForegroundWindow(HWND hwnd) = 0;
    virtual HWND GetForegroundWindow() = 0;
    virtual BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& placement) = 0;
    virtual BOOL GetWindowRect(HWND hwnd, RECT& rect) = 0;
    virtual BOOL GetClientRect(HWND hwnd, RECT& rect) = 0;
    virtual BOOL ClientToScreen(HWND hwnd, POINT& point) = 0;
    virtual BOOL EnableWindow(HWND hwnd, BOOL enable) = 0; // returns whether it was disabled
    virtual BOOL IsWindowEnabled(HWND hwnd) = 0;
    virtual HWND SetFocus(HWND hwnd) = 0;
    virtual HWND GetFocus() = 0;

    // Shows a popup menu and returns the chosen command (0: none) once it
    // has closed. Meanwhile the backend keeps delivering the window's messages.
    virtual UINT TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;
    virtual BOOL GetCursorPos(POINT& point) = 0;
    virtual RECT WorkArea() = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                           UINT type) = 0;

    virtual HDC BeginPaint(HWND hwnd, PAINTSTRUCT& paint) = 0;
    virtual void EndPaint(HWND hwnd, const PAINTSTRUCT& paint) = 0;
    virtual BOOL DrawIcon(HDC dc, int x, int y, HICON icon) = 0;
};

// Answers of a default window procedure every window system gives alike.
// WM_GETTEXT: text cut to the buffer (never within a character) and ended
// there; its length.
LRESULT CopyWindowText(std::string_view text, WPARAM size, LPARAM buffer);
// WM_PAINT for a window that draws nothing: painting validates it.
LRESULT PaintNothing(IWindowSystem& system, HWND hwnd);

// The window system in use; null until one is set. Not owned.
IWindowSystem* GetWindowSystem();
void SetWindowSystem(IWindowSystem* system);

} // namespace qv::platform
