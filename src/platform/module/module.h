// Modules: the program's own file (with its embedded resources) and shared
// libraries loaded at run time. Win32-shaped; backed by /proc/self/exe and
// dlopen/dlsym/dlclose.
#pragma once

#include "platform/types.h"

#include <memory>
#include <span>
#include <string>

namespace qv::platform {
class ResourceImage; // parsed .res container, module/res_image.h
}

// A loaded module. A library loaded with LoadLibraryA holds its dlopen
// handle; a resource module holds the parsed resources of a .res image.
struct HINSTANCE__ {
    std::string path;
    void* dl = nullptr;
    std::shared_ptr<const qv::platform::ResourceImage> resources;
};

using FARPROC = void (*)();

// Full path of the module's file; null means the running executable.
// Returns the number of characters copied (without terminator), 0 on failure.
// Truncates to size-1 characters and sets ERROR_INSUFFICIENT_BUFFER when short.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
HMODULE LoadLibraryA(LPCSTR path);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

namespace qv::platform {
// Tests stand in another executable path ("a.b.exe"); empty restores the real one.
void SetModuleFileNameForTesting(const std::string& path);
// The whole path GetModuleFileNameA gives, however long; empty when there
// is none. Linux paths may exceed MAX_PATH, and a cut path names nothing.
std::string ModuleFileName(HMODULE module = nullptr);
} // namespace qv::platform
