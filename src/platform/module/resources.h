// Win32 resource calls over the .res image held by a resource module.
#pragma once

#include "platform/module/module.h"
#include "platform/types.h"

#include <memory>
#include <optional>
#include <span>
#include <string>

using ENUMRESLANGPROCA = BOOL (*)(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                                  LONG_PTR param);

// EnumResourceLanguagesA's last error when the callback stopped it.
inline constexpr DWORD ERROR_RESOURCE_ENUM_USER_STOP = 15106;

// The resource module the program uses, as the framework's resource handle.
// The caller keeps the module alive while it is set. A null module in the
// calls below means this one.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Calls proc once per language of the resource, ascending. FALSE when the
// resource is missing or proc returned FALSE.
BOOL EnumResourceLanguagesA(HMODULE module, LPCSTR type, LPCSTR name, ENUMRESLANGPROCA proc,
                            LONG_PTR param);
// Language fallback as the platform's: the exact language, else the primary
// language's neutral sublanguage (e.g. 0x0007), else its default one (0x0407),
// else the neutral copy. A
// neutral request (0) for a resource without a neutral copy gets the user's
// language by the same rule, else the copy with the lowest language id.
// Type and name are MAKEINTRESOURCEA ordinals, "#123", or strings (ASCII
// case-insensitive).
HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The platform's own language choice: the user's language (GetUserDefaultLangID),
// else its neutral or default sublanguage, else the neutral copy. Copies at most size-1
// bytes of UTF-8 plus a terminator, never splitting a character, and returns
// the bytes copied. 0 for a missing or empty string, for a null buffer or a
// size below 1, and when not even the first character fits (last error
// ERROR_INSUFFICIENT_BUFFER then, as for any cut).
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);

namespace qv::platform {
// Parses a .res image (the bytes must outlive the module). Null when the
// image is not a well-formed resource file.
std::unique_ptr<HINSTANCE__> LoadResourceModule(std::span<const std::byte> image,
                                                std::string path = {});
// Same, with the module keeping its own copy of the bytes.
std::unique_ptr<HINSTANCE__> LoadResourceModuleCopy(std::span<const std::byte> image,
                                                    std::string path = {});
// String number index (0..15) of a string-table block; null when the block
// is cut short. An absent string is an empty one.
std::optional<std::u16string> StringFromBlock(std::span<const BYTE> block, UINT index);
} // namespace qv::platform
