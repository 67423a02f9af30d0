// The registry: Win32-shaped calls over regedit-format text files.
//
// HKEY_CURRENT_USER is ${XDG_CONFIG_HOME:-~/.config}/quorvia/user.reg;
// HKEY_LOCAL_MACHINE is the first existing of <prefix>/etc/quorvia/machine.reg
// (prefix = parent of the executable's folder) and /etc/quorvia/machine.reg.
// HKEY_CLASSES_ROOT is HKEY_CURRENT_USER\Software\Classes; HKEY_USERS is an
// empty hive. The key HKCU\Software\Microsoft\Windows\CurrentVersion\Run is the
// XDG autostart folder (one NAME.desktop file per value).
//
// Every call locks the hive's file, reads it afresh and, for a change, writes a
// new file beside it and renames it into place. Names compare ASCII
// case-insensitively and keep the case they were first written with.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>

// A key handle: the hive, the path below it and the access it was opened with.
// The data is never cached in the handle; every call reads the file.
struct HKEY__ {
    int hive = 0;
    std::string path;
    REGSAM access = 0;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Predefined keys carry the Win32 values, sign-extended as on 64-bit Windows.
inline const HKEY HKEY_CLASSES_ROOT =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000000u)));
inline const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));
inline const HKEY HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));
inline const HKEY HKEY_USERS =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000003u)));

using LSTATUS = LONG;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key. An empty or null subkey opens another handle to hKey.
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      HKEY* phkResult);
// Opens a key, creating it and every missing key above it.
LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                        HKEY* phkResult, LPDWORD lpdwDisposition);
// Null data with a size asks for the size only; a short buffer gives
// ERROR_MORE_DATA with the needed size. A null or empty name is the default value.
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);
LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                       const BYTE* lpData, DWORD cbData);
LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
LSTATUS RegCloseKey(HKEY hKey);

// Subkeys in case-insensitive order, values in file order.
LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Deletes a key that has no subkeys.
LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
// Deletes a key with everything below it; a null subkey empties hKey instead.
// The autostart folder is never emptied this way: its entries belong to
// other programs too and go only one value at a time.
LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);

namespace qv::platform::registry {

// While one lives, the calls of this thread read each hive and the autostart
// folder once and answer from that reading: a command that walks many keys
// sees one state and pays for one read. A change made meanwhile through
// these calls is read afresh.
class ReadSnapshot {
public:
    ReadSnapshot();
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;
    struct State;

private:
    std::unique_ptr<State> state_;
    State* outer_;
};

} // namespace qv::platform::registry
