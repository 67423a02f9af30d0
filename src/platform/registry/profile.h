// Private profile files, Win32-shaped. A file name without a folder lives
// beside user.reg (${XDG_CONFIG_HOME:-~/.config}/quorvia), the place the
// Windows directory stands for; a null name means win.ini there.
#pragma once

#include "platform/types.h"

// The value as a decimal (or 0x hex) integer, default when the key is absent,
// 0 when the text does not begin with a number.
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
// Copies the value (or the default) cut to nSize-1 bytes on a character
// boundary and returns its length. A null section lists the section names, a
// null key the section's keys, each NUL-terminated with a final extra NUL.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
// A null key deletes the section, a null string the key.
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName);
