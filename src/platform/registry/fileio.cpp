#include "platform/registry/fileio.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv::platform::registry {

FileLock FileLock::Acquire(const std::string& lockPath, bool exclusive, bool create) {
    FileLock lock;
    // O_NONBLOCK: a FIFO put in the lock file's place must not hang the open.
    int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (create ? O_CREAT : 0);
    int fd = ::open(lockPath.c_str(), flags, 0600);
    if (fd < 0 && !create) // flock needs no write access
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return lock;
    int rc;
    do {
        rc = ::flock(fd, exclusive ? LOCK_EX : LOCK_SH);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return lock;
    }
    lock.fd_ = fd;
    return lock;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the flock
}

ReadStatus ReadFileBounded(const std::string& path, std::string& out, std::size_t limit) {
    out.clear();
    // Opening a FIFO for reading blocks until someone writes, unless O_NONBLOCK.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing
               : errno == EACCES                   ? ReadStatus::Denied
                                                   : ReadStatus::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::NotRegular;
    }
    if (static_cast<std::size_t>(st.st_size) > limit) {
        ::close(fd);
        return ReadStatus::TooLarge;
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t used = 0;
    // The file may grow under a writer that ignores the lock; read to EOF, bounded.
    while (true) {
        if (used == out.size()) {
            if (out.size() > limit) {
                ::close(fd);
                out.clear();
                return ReadStatus::TooLarge;
            }
            out.resize(out.size() + 4096);
        }
        ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            out.clear();
            return ReadStatus::Failed;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(used);
    if (used > limit) {
        out.clear();
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

std::string ParentFolder(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathTaken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string WriteTarget(const std::string& path) {
    constexpr int kMaxLinks = 40; // what the kernel follows
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::vector<char> link(PATH_MAX);
        ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size())
            return {};
        std::string dest(link.data(), static_cast<std::size_t>(n));
        current = dest[0] == '/' ? dest : ParentFolder(current) + "/" + dest;
    }
    return {};
}

namespace {

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

constexpr std::string_view kTempSuffix = "XXXXXX"; // mkostemp fills it in

// The owner's read-only mark is honoured even where the caller could write
// (root); a FIFO or device in the file's place is never replaced.
bool Replaceable(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return false;
    }
    if ((st.st_mode & S_IWUSR) == 0) {
        errno = EACCES;
        return false;
    }
    return ::access(target.c_str(), W_OK) == 0;
}

} // namespace

void RemoveStaleTemporaries(const std::string& path) {
    const std::string target = WriteTarget(path);
    if (target.empty())
        return;
    const std::string folder = ParentFolder(target);
    const std::string prefix = "." + BaseName(target) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* d = ::readdir(dir)) {
        std::string_view name = d->d_name;
        if (name.size() != prefix.size() + kTempSuffix.size() || !name.starts_with(prefix))
            continue;
        bool generated = true;
        for (char c : name.substr(prefix.size()))
            generated &= (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        std::string full = folder + "/" + std::string(name);
        struct stat st {};
        if (generated && ::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(full.c_str());
    }
    ::closedir(dir);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    const std::string target = WriteTarget(path);
    if (target.empty()) {
        errno = ELOOP;
        return false;
    }
    if (!Replaceable(target))
        return false;
    const std::string folder = ParentFolder(target);
    std::string temp = folder + "/." + BaseName(target) + "." + std::string(kTempSuffix);
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(name.data(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(name.data());
        errno = saved;
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

DWORD WriteError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EINVAL:
        return ERROR_BAD_FILE_TYPE;
    default:
        return ERROR_CANTWRITE;
    }
}

bool MakeDirectories(const std::string& dir, mode_t mode) {
    if (dir.empty())
        return false;
    std::size_t pos = 0;
    while (true) {
        pos = dir.find('/', pos + 1);
        std::string part = dir.substr(0, pos);
        if (!part.empty() && ::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace qv::platform::registry
