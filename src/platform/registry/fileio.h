// File plumbing shared by the hives, the profile files and the autostart
// entries: advisory locks, bounded reads and atomic replacement.
#pragma once

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
    // when the folder is read-only, the lock is simply not held.
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

enum class ReadStatus { Ok, Missing, TooLarge, Denied, Failed };

// Reads a regular file of at most limit bytes.
ReadStatus ReadFileBounded(const std::string& path, std::string& out, std::size_t limit);

// Writes a temporary file in the target's folder, flushes it and renames it
// over the target, so readers see the old file or the new one, never a part.
// A symlinked target is replaced where the link points. False leaves the old
// file untouched and errno set.
bool ReplaceFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// mkdir -p; new folders get mode.
bool MakeDirectories(const std::string& dir, mode_t mode);

std::string ParentFolder(const std::string& path);
bool FileExists(const std::string& path);

} // namespace qv::platform::registry
