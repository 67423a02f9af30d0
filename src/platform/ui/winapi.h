// The Win32 window, message and timer calls the system's code makes. Each
// one forwards to the window system chosen with SetWindowSystem; without
// one they fail (FALSE, 0, null).
#pragma once

#include "platform/ui/window_system.h"
#include "platform/ui/winuser.h"

#include <string>

using WNDENUMPROC = BOOL (*)(HWND hwnd, LPARAM param);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_ID = -12;

// Windows.
BOOL IsWindow(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int command); // TRUE when it was visible before
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint);
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int size);
int GetWindowTextLengthA(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable); // TRUE when it was disabled before
BOOL IsWindowEnabled(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
HWND GetParent(HWND hwnd);
LONG GetWindowLongA(HWND hwnd, int index);
// Children and their children in turn, until proc answers FALSE.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Messages.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags);
// Blocks until a message arrives; FALSE for WM_QUIT.
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// Blocks until a message waits or the time is up; TRUE when one waits.
BOOL WaitMessageTimeout(DWORD timeoutMs);
// One round of waiting: returns when a message waits, after outside events
// were handled (they may have changed the caller's state without leaving a
// message), or when the time is up. TRUE when a message waits.
BOOL WaitMessageOrEvent(DWORD timeoutMs);

// Timers and time.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
DWORD GetTickCount();

// Menus.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);
// Without TPM_RETURNCMD the chosen command is posted as WM_COMMAND; a
// greyed or disabled item is never chosen.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND hwnd,
                    const RECT* rect);
BOOL GetCursorPos(POINT* point);

// Metrics, cursor, message box, painting.
BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni);
int GetSystemMetrics(int index);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

namespace qv::platform {
std::string GetWindowTextString(HWND hwnd);
// The wait cursor over the program's windows.
void SetWaitCursor(bool on);
} // namespace qv::platform
