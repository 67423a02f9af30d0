// The shell's version, as its DllGetVersion export reports it. A major
// version of 5 or more means balloon tips: here, that a notification
// service answers.
#pragma once

#include "platform/types.h"

struct DLLVERSIONINFO {
    DWORD cbSize = 0; // 20: the caller's record size
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformID = 0;
};

inline constexpr DWORD DLLVER_PLATFORM_WINDOWS = 1;

// S_OK and the version, or a failure (no shell, or a record too small).
HRESULT DllGetVersion(DLLVERSIONINFO* info);
