// The per-user settings store and general registry value helpers.
//
// Settings live under HKEY_CURRENT_USER "software\<company>\<base name>"; with
// no company name they go to the profile file "<base name>.ini" (beside
// user.reg), section kProfileSection.
#pragma once

#include "platform/registry/registry.h"
#include "platform/types.h"

#include <string>

// The profile file has no section of its own in the callers; they all use this one.
inline constexpr const char* kProfileSection = "Settings";

// The PABX's factory address, 192.168.0.240, first octet in the high byte.
inline constexpr int kDefaultPabxAddress = int(0xC0A800F0u);

// Reads convert REG_SZ/REG_EXPAND_SZ, REG_DWORD, REG_BINARY of up to 4 bytes
// and REG_MULTI_SZ (NULs become 0xFF) to text; anything missing, longer than
// 2048 bytes or of another type gives the default.
std::string ReadRegistryText(HKEY root, LPCSTR subkey, LPCSTR name, LPCSTR def);
// type is REG_SZ, REG_DWORD (text read as "%d") or REG_MULTI_SZ (0xFF marks the ends).
bool WriteRegistryText(HKEY root, LPCSTR text, LPCSTR subkey, LPCSTR name, DWORD type);
bool DeleteRegistryValue(HKEY root, LPCSTR subkey, LPCSTR name);
// Without a name: whether the key can be opened for reading.
bool RegistryValueExists(HKEY root, LPCSTR subkey, LPCSTR name = nullptr);

// Called once at start-up with the version block's company name ("" for none).
void SetSettingsCompany(LPCSTR company);
// The settings key; empty with the profile back-end.
std::string GetSettingsKey(LPCSTR section);

int GetSettingInt(LPCSTR section, LPCSTR name, int def, HKEY root = HKEY_CURRENT_USER);
bool WriteSettingInt(LPCSTR section, LPCSTR name, int value, HKEY root = HKEY_CURRENT_USER);
std::string GetSettingString(LPCSTR section, LPCSTR name, LPCSTR def,
                             HKEY root = HKEY_CURRENT_USER);
bool WriteSettingString(LPCSTR section, LPCSTR name, LPCSTR value, HKEY root = HKEY_CURRENT_USER);

namespace qv::settings {
// "%d" scanning: leading white space, optional sign, digits; 0 without a
// number. Digits beyond 32 bits wrap, as the 32-bit runtime's scan did.
int ScanDecimal(const char* text);
} // namespace qv::settings
