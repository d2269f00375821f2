// What Linux offers the POSIX file system service beyond POSIX: unnamed new
// files, renaming without replacing, a flush of a whole file system, and the
// kernel's in-place copy.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "PosixExtensions.h"

namespace ostrel::posix {
namespace {

// An unnamed file gets its name through its entry under /proc/self/fd, which
// a sandbox may hide.
bool ProcessFdsVisible() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

}  // namespace

int OpenUnnamedFile(const std::string& folder) {
    if (!ProcessFdsVisible()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0666);
}

void LinkUnnamedFile(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        FailWithErrno();
    }
}

bool RenameWithoutReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        FailWithErrno();
    }
    return false;
}

void StartDurable(int fd) {
    // Only started: FinishDurable then mostly finds the data on the disk.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void FinishDurable(int folder, std::set<std::uint64_t>& devices) {
    struct stat info {};
    if (::fstat(folder, &info) != 0) {
        FailWithErrno();
    }
    // One flush of each file system puts every file of the batch and its name
    // on the disk at once, far faster than one flush a file (each of which
    // would also flush the disk's own cache).
    if (devices.insert(static_cast<std::uint64_t>(info.st_dev)).second && ::syncfs(folder) != 0) {
        FailWithErrno();
    }
}

ssize_t CopyFileRange(int from, int to, std::size_t length) {
    return ::copy_file_range(from, nullptr, to, nullptr, length, 0);
}

}  // namespace ostrel::posix
