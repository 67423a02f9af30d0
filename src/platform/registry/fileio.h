// File plumbing shared by the hives, the profile files and the autostart
// entries: advisory locks, bounded reads and atomic replacement.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace qv::platform::registry {

// An flock on a lock file beside the data file, held for the object's life.
// Locks on separate opens exclude each other even inside one process.
class FileLock {
public:
    FileLock() = default;
    // With create, a missing lock file is made (mode 0600). Without it, or
    // when the folder is read-only, the lock is simply not held (errno says why).
    static FileLock Acquire(const std::string& lockPath, bool exclusive, bool create);
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

enum class ReadStatus { Ok, Missing, TooLarge, Denied, NotRegular, Failed };

// Reads a regular file of at most limit bytes. Anything else (a FIFO, a
// device, a folder) is refused without blocking: a FIFO nobody writes to
// would otherwise hang the reader, and every writer waiting for its lock.
ReadStatus ReadFileBounded(const std::string& path, std::string& out, std::size_t limit);

// Where a write to path lands: path itself, or the end of its chain of
// symlinks, also when that file does not exist yet. Empty for a chain that
// loops or is too long.
std::string WriteTarget(const std::string& path);

// Writes a temporary file in the target's folder, flushes it and renames it
// over the target, so readers see the old file or the new one, never a part.
// A symlink is kept and the file it points to is written. A target its owner
// made read-only (errno EACCES) or that is not a regular file (EINVAL) is
// left alone. False leaves the old file untouched and errno set.
bool ReplaceFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// Removes the temporaries of path that writers killed during a save left
// behind. Only for a caller holding the file's exclusive lock: every live
// writer holds it for as long as its temporary exists.
void RemoveStaleTemporaries(const std::string& path);

// The error code for the errno a failed ReplaceFileAtomically left.
DWORD WriteError(int error);

// mkdir -p; new folders get mode.
bool MakeDirectories(const std::string& dir, mode_t mode);

std::string ParentFolder(const std::string& path);
// A regular file (after symlinks) is there.
bool FileExists(const std::string& path);
// Anything is there, a dangling symlink included.
bool PathTaken(const std::string& path);

} // namespace qv::platform::registry
