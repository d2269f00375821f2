// The POSIX file system service on a system with nothing beyond POSIX for it:
// no kind of file system known, so each file's bytes tell it apart and each
// file and folder is flushed on its own; new files under a temporary name.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "PosixExtensions.h"

namespace ostrel::posix {

Medium MediumOf(int fd, const struct stat&) {
    Medium medium;
    errno = 0;
    const long name = ::fpathconf(fd, _PC_NAME_MAX);
    if (name > 0) {
        medium.MaxName = static_cast<std::size_t>(name);
    }
    return medium;
}

int OpenUnnamedFile(int) {
    errno = EOPNOTSUPP;
    return -1;
}

bool UnnamedFilesLinkable() {
    return false;
}

void LinkUnnamedFile(int, int, const std::string&, int&) {
    Fail(ENOSYS);  // no file is ever unnamed here
}

bool RenameWithoutReplace(int, const std::string&, const std::string&) {
    return false;
}

void StartDurable(int) {}

void FlushFileSystem(int fd) {
    if (::fsync(fd) != 0) {
        FailWithErrno();
    }
}

ssize_t CopyFileRange(int, int, std::size_t) {
    errno = ENOSYS;
    return -1;
}

}  // namespace ostrel::posix
