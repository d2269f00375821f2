// The POSIX file system service on a system with nothing beyond POSIX for it:
// new files under a temporary name, and each file and folder flushed on its
// own.

#include <unistd.h>

#include <cerrno>

#include "PosixExtensions.h"

namespace ostrel::posix {

int OpenUnnamedFile(const std::string&) {
    errno = EOPNOTSUPP;
    return -1;
}

void LinkUnnamedFile(int, const std::string&) {
    Fail(ENOSYS);  // no file is ever unnamed here
}

bool RenameWithoutReplace(const std::string&, const std::string&) {
    return false;
}

void StartDurable(int fd) {
    if (::fsync(fd) != 0) {
        FailWithErrno();
    }
}

void FinishDurable(int folder, std::set<std::uint64_t>&) {
    // Each file was flushed as it was published; now its name.
    if (::fsync(folder) != 0) {
        FailWithErrno();
    }
}

ssize_t CopyFileRange(int, int, std::size_t) {
    errno = ENOSYS;
    return -1;
}

}  // namespace ostrel::posix
