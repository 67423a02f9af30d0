#include "platform/module/module.h"

#include "platform/module/lasterror.h"

#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string& ModulePathOverride() {
    static std::string path;
    return path;
}

std::string ExecutablePath() {
    if (!ModulePathOverride().empty())
        return ModulePathOverride();
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() >= size) {
        // Truncated like the original: size-1 characters, terminated.
        std::memcpy(buffer, text.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size - 1;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
}

} // namespace

namespace qv::platform {
void SetModuleFileNameForTesting(const std::string& path) {
    ModulePathOverride() = path;
}

std::string ModuleFileName(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size() - 1) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
} // namespace qv::platform

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    const std::string path =
        module != nullptr && !module->path.empty() ? module->path : ExecutablePath();
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        if (buffer != nullptr && size > 0)
            buffer[0] = '\0';
        return 0;
    }
    return CopyOut(path, buffer, size);
}

HMODULE LoadLibraryA(LPCSTR path) {
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    dlerror();
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        struct stat st {};
        // A missing file and a file that is no loadable library are told apart,
        // as the original's codes do; the loader's own words go with the code.
        const DWORD code = stat(path, &st) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
        qv::platform::SetLastErrorWithText(code, why != nullptr ? why : "");
        return nullptr;
    }
    auto* module = new HINSTANCE__;
    module->path = path;
    module->dl = handle;
    SetLastError(ERROR_SUCCESS);
    return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (module == nullptr || module->dl == nullptr || name == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(module->dl, name);
    if (symbol == nullptr) {
        const char* why = dlerror();
        qv::platform::SetLastErrorWithText(ERROR_PROC_NOT_FOUND, why != nullptr ? why : "");
        return nullptr;
    }
    FARPROC proc;
    static_assert(sizeof(proc) == sizeof(symbol));
    std::memcpy(&proc, &symbol, sizeof(proc));
    return proc;
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr || module->dl == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool ok = dlclose(module->dl) == 0;
    delete module;
    return ok ? TRUE : FALSE;
}
