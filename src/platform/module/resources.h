// Win32 resource calls over the .res image held by a resource module.
#pragma once

#include <span>

#include "platform/module/module.h"
#include "platform/types.h"

using ENUMRESLANGPROCA = BOOL (*)(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                                  LONG_PTR param);

// The resource module the program uses, as the framework's resource handle.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

BOOL EnumResourceLanguagesA(HMODULE module, LPCSTR type, LPCSTR name, ENUMRESLANGPROCA proc,
                            LONG_PTR param);
// Language fallback as the platform's: the exact language, else the neutral
// copy, else (for the neutral request) any copy.
HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The platform's own language choice: the user's language, else neutral.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);

namespace qv::platform {
// Parses a .res image (the bytes must outlive the module). Null when the
// image is not a well-formed resource file.
std::unique_ptr<HINSTANCE__> LoadResourceModule(std::span<const std::byte> image,
                                                std::string path = {});
} // namespace qv::platform
