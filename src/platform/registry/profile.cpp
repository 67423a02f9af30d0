#include "platform/registry/profile.h"

#include "platform/module/lasterror.h"
#include "platform/registry/fileio.h"
#include "platform/registry/hives.h"
#include "platform/registry/inifile.h"
#include "platform/text.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace reg = qv::platform::registry;

constexpr std::size_t kMaxProfileSize = 16u << 20;

struct ProfilePath {
    std::string file;
    bool inConfigFolder = false;
};

ProfilePath Resolve(LPCSTR name) {
    std::string file = name && *name ? name : "win.ini";
    if (file.find('/') != std::string::npos)
        return {file, false};
    return {reg::UserRegistryFolder() + "/" + file, true};
}

bool Load(const std::string& file, reg::IniDocument& doc) {
    reg::FileLock lock = reg::FileLock::Acquire(file + ".lock", false, false);
    std::string text;
    auto status = reg::ReadFileBounded(file, text, kMaxProfileSize);
    if (status != reg::ReadStatus::Ok && status != reg::ReadStatus::Missing)
        return false;
    doc = reg::ParseIni(text);
    return true;
}

// Copies a list of NUL-terminated names ending in an extra NUL, Windows style:
// when it does not fit, the result is cut and nSize-2 is returned.
DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    std::string all;
    for (const auto& n : names) {
        all += n;
        all += '\0';
    }
    if (all.size() + 1 <= size) {
        std::memcpy(out, all.data(), all.size());
        out[all.size()] = '\0';
        return static_cast<DWORD>(all.size());
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, all.data(), size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

} // namespace

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    if (!lpAppName || !lpKeyName)
        return static_cast<UINT>(nDefault);
    reg::IniDocument doc;
    if (!Load(Resolve(lpFileName).file, doc))
        return static_cast<UINT>(nDefault);
    auto value = reg::IniGet(doc, lpAppName, lpKeyName);
    if (!value)
        return static_cast<UINT>(nDefault);
    std::string_view s = *value;
    bool negative = !s.empty() && s[0] == '-';
    if (negative)
        s.remove_prefix(1);
    UINT result = 0; // unsigned, so an overlong number wraps instead of overflowing
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        for (char c : s.substr(2)) {
            int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            if (d < 0)
                break;
            result = result * 16 + static_cast<UINT>(d);
        }
    } else {
        for (char c : s) {
            if (c < '0' || c > '9')
                break;
            result = result * 10 + static_cast<UINT>(c - '0');
        }
    }
    return negative ? 0u - result : result;
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0)
        return 0;
    reg::IniDocument doc;
    bool loaded = Load(Resolve(lpFileName).file, doc);
    if (!lpAppName)
        return CopyList(loaded ? reg::IniSections(doc) : std::vector<std::string>{},
                        lpReturnedString, nSize);
    if (!lpKeyName)
        return CopyList(loaded ? reg::IniKeys(doc, lpAppName) : std::vector<std::string>{},
                        lpReturnedString, nSize);
    std::optional<std::string> value;
    if (loaded)
        value = reg::IniGet(doc, lpAppName, lpKeyName);
    if (!value) {
        // Windows drops trailing blanks of the default.
        std::string def = lpDefault ? lpDefault : "";
        while (!def.empty() && def.back() == ' ')
            def.pop_back();
        value = std::move(def);
    }
    std::string_view cut = qv::text::CutUtf8(*value, nSize - 1);
    std::memcpy(lpReturnedString, cut.data(), cut.size());
    lpReturnedString[cut.size()] = '\0';
    return static_cast<DWORD>(cut.size());
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName) {
    if (!lpAppName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProfilePath path = Resolve(lpFileName);
    if (path.inConfigFolder && !reg::MakeDirectories(reg::ParentFolder(path.file), 0700)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    reg::FileLock lock = reg::FileLock::Acquire(path.file + ".lock", true, true);
    if (!lock.held()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    reg::RemoveStaleTemporaries(path.file);
    std::string text;
    auto status = reg::ReadFileBounded(path.file, text, kMaxProfileSize);
    if (status != reg::ReadStatus::Ok && status != reg::ReadStatus::Missing) {
        SetLastError(status == reg::ReadStatus::Denied       ? ERROR_ACCESS_DENIED
                     : status == reg::ReadStatus::NotRegular ? ERROR_BAD_FILE_TYPE
                                                             : ERROR_INVALID_DATA);
        return FALSE;
    }
    reg::IniDocument doc = reg::ParseIni(text);
    bool changed;
    if (!lpKeyName) {
        changed = reg::IniDeleteSection(doc, lpAppName);
    } else if (!lpString) {
        changed = reg::IniDeleteKey(doc, lpAppName, lpKeyName);
    } else {
        if (!reg::IniSet(doc, lpAppName, lpKeyName, lpString)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        changed = true;
    }
    // Deleting what is not there succeeds without touching the file.
    if (changed && !reg::ReplaceFileAtomically(path.file, reg::SerializeIni(doc), 0600)) {
        SetLastError(reg::WriteError(errno));
        return FALSE;
    }
    return TRUE;
}
