// The notification-area icon record and Shell_NotifyIconA. cbSize tells
// which form the caller speaks: 88 bytes (no balloon fields) or 488 (with
// them); the shell reads only what that form holds.
#pragma once

#include "platform/types.h"

inline constexpr DWORD NOTIFYICONDATAA_V1_SIZE = 88;
inline constexpr DWORD NOTIFYICONDATA_V1_SIZE = NOTIFYICONDATAA_V1_SIZE;
inline constexpr DWORD NOTIFYICONDATAA_V2_SIZE = 488;

inline constexpr DWORD NIM_ADD = 0x0;
inline constexpr DWORD NIM_MODIFY = 0x1;
inline constexpr DWORD NIM_DELETE = 0x2;

inline constexpr UINT NIF_MESSAGE = 0x01;
inline constexpr UINT NIF_ICON = 0x02;
inline constexpr UINT NIF_TIP = 0x04;
inline constexpr UINT NIF_STATE = 0x08;
inline constexpr UINT NIF_INFO = 0x10;

// The icon's callback message carries this instead of a mouse message when
// the user clicks its balloon (a notification's default action).
inline constexpr UINT NIN_BALLOONUSERCLICK = 0x0400 + 5; // WM_USER + 5

inline constexpr DWORD NIIF_NONE = 0x0;
inline constexpr DWORD NIIF_INFO = 0x1;
inline constexpr DWORD NIIF_WARNING = 0x2;
inline constexpr DWORD NIIF_ERROR = 0x3;

// Field layout as the platform's; the size is not byte-exact here, cbSize
// carries the form.
struct NOTIFYICONDATAA {
    DWORD cbSize = 0;
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon = nullptr;
    CHAR szTip[128] = {};
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    CHAR szInfo[256] = {};
    UINT uTimeout = 0;
    CHAR szInfoTitle[64] = {};
    DWORD dwInfoFlags = 0;
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA*;

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
