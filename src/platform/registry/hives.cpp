#include "platform/registry/hives.h"

#include "platform/debug_trace.h"
#include "platform/module/lasterror.h"
#include "platform/module/module.h"
#include "platform/registry/fileio.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv::platform::registry {
namespace {

constexpr mode_t kUserFileMode = 0600;
constexpr mode_t kUserFolderMode = 0700;
constexpr mode_t kMachineFileMode = 0644;

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

// Where an install under prefix puts its configuration (cmake/QvConfigFolder.cmake):
// the system's /etc for /usr, /etc/opt/NAME for /opt/NAME, else the prefix's
// own etc (a build tree, /usr/local).
std::string ConfigFolderOf(const std::string& prefix) {
    if (prefix == "/" || prefix == "/usr")
        return "/etc";
    if (prefix.starts_with("/opt/") && prefix.find('/', 5) == std::string::npos)
        return "/etc" + prefix;
    return prefix + "/etc";
}

std::vector<std::string> MachineCandidates() {
    std::vector<std::string> candidates;
    std::vector<char> exe(4096);
    DWORD n = GetModuleFileNameA(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n > 0 && n < exe.size() - 1) {
        std::string folder = ParentFolder(std::string(exe.data(), n));
        std::string prefix = ParentFolder(folder);
        const std::string own = ConfigFolderOf(prefix) + "/quorvia/machine.reg";
        if (own != "/etc/quorvia/machine.reg")
            candidates.push_back(own);
    }
    candidates.push_back("/etc/quorvia/machine.reg");
    return candidates;
}

bool CanWriteFolder(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

} // namespace

std::string ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return HomeFolder() + "/.config";
}

std::string UserRegistryFolder() {
    return ConfigHome() + "/quorvia";
}

std::string_view RootName(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
    case Hive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case Hive::Users:
        break;
    }
    return "HKEY_USERS";
}

HiveFile LocateHive(Hive hive) {
    HiveFile file;
    switch (hive) {
    case Hive::CurrentUser:
        file.path = UserRegistryFolder() + "/user.reg";
        file.writable = true; // the folder is made on first write
        break;
    case Hive::LocalMachine: {
        // Read the first that exists; write there, or where the first would be.
        auto candidates = MachineCandidates();
        file.path = candidates.front();
        for (const auto& candidate : candidates) {
            if (FileExists(candidate)) {
                file.path = candidate;
                break;
            }
        }
        file.writable = CanWriteFolder(ParentFolder(file.path)) &&
                        (!FileExists(file.path) || ::access(file.path.c_str(), W_OK) == 0);
        break;
    }
    case Hive::Users:
        break;
    }
    return file;
}

namespace {

// Says why a settings file was not read or written: otherwise a user only
// sees settings that do not stick.
LONG Traced(const char* action, Hive hive, LONG rc) {
    if (rc != LONG(ERROR_SUCCESS) && TraceEnabled(TraceCategory::Registry)) {
        char* text = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                       static_cast<DWORD>(rc), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
        std::string words = text ? text : "";
        LocalFree(text);
        words.erase(words.find_last_not_of("\r\n") + 1);
        TraceF(TraceCategory::Registry, "%s %s refused: %s (error %ld)", action,
               LocateHive(hive).path.c_str(), words.c_str(), static_cast<long>(rc));
    }
    return rc;
}

// What a file that could not be read means for its hive: success when it
// was read or is missing.
LONG ReadError(ReadStatus status) {
    switch (status) {
    case ReadStatus::Ok:
    case ReadStatus::Missing:
        return ERROR_SUCCESS;
    case ReadStatus::Denied:
        return ERROR_ACCESS_DENIED;
    case ReadStatus::NotRegular:
        return ERROR_BAD_FILE_TYPE;
    case ReadStatus::TooLarge:
    case ReadStatus::Failed:
        break;
    }
    return ERROR_BADDB;
}

LONG ReadHiveFile(Hive hive, RegDocument& doc) {
    doc = RegDocument{};
    HiveFile file = LocateHive(hive);
    if (file.path.empty())
        return ERROR_SUCCESS;
    // Readers need the lock only to wait out a writer; where no lock file can
    // be made (a read-only /etc) the rename still keeps reads whole.
    FileLock lock =
        FileLock::Acquire(file.path + ".lock", false, file.writable && FileExists(file.path));
    std::string text;
    const ReadStatus status = ReadFileBounded(file.path, text, kMaxRegFileSize);
    if (status == ReadStatus::Ok)
        doc = ParseHiveText(text, RootName(hive));
    return ReadError(status);
}

LONG UpdateHiveFile(Hive hive, const HiveEdit& edit) {
    HiveFile file = LocateHive(hive);
    if (file.path.empty() || !file.writable)
        return ERROR_ACCESS_DENIED;
    const bool user = hive == Hive::CurrentUser;
    if (user && !MakeDirectories(ParentFolder(file.path), kUserFolderMode))
        return ERROR_CANTWRITE;
    FileLock lock = FileLock::Acquire(file.path + ".lock", true, true);
    if (!lock.held()) // a read-only folder, or something that is no file in the lock's place
        return WriteError(errno) == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED
                                                        : ERROR_LOCK_VIOLATION;
    RemoveStaleTemporaries(file.path);
    std::string text;
    mode_t mode = user ? kUserFileMode : kMachineFileMode;
    const ReadStatus status = ReadFileBounded(file.path, text, kMaxRegFileSize);
    // Never replace a file we could not read: its content would be lost.
    if (LONG rc = ReadError(status); rc != ERROR_SUCCESS)
        return rc;
    if (status == ReadStatus::Ok && !user) {
        struct stat st {};
        if (::stat(file.path.c_str(), &st) == 0)
            mode = st.st_mode & 07777;
    }
    RegDocument doc = ParseHiveText(text, RootName(hive));
    bool changed = false;
    LONG rc = edit(doc, changed);
    if (rc != LONG(ERROR_SUCCESS) || !changed)
        return rc;
    std::string out = SerializeHiveText(doc, RootName(hive));
    if (out.size() > kMaxRegFileSize)
        return ERROR_CANTWRITE;
    return ReplaceFileAtomically(file.path, out, mode) ? ERROR_SUCCESS : WriteError(errno);
}

} // namespace

LONG ReadHive(Hive hive, RegDocument& doc) {
    return Traced("reading", hive, ReadHiveFile(hive, doc));
}

LONG UpdateHive(Hive hive, const HiveEdit& edit) {
    return Traced("writing", hive, UpdateHiveFile(hive, edit));
}

} // namespace qv::platform::registry
