// What Linux offers the POSIX file system service beyond POSIX: the kind of
// each file system, unnamed new files, renaming without replacing, a flush
// of a whole file system, and the kernel's in-place copy.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "PosixExtensions.h"

namespace ostrel::posix {
namespace {

// statfs's f_type of the file systems told apart here (linux/magic.h).
enum Kind : std::uint32_t {
    Ext4 = 0xEF53,  // ext2 and ext3 too
    Xfs = 0x58465342,
    Btrfs = 0x9123683E,
    Tmpfs = 0x01021994,
    Ramfs = 0x858458F6,
    F2fs = 0xF2F52010,
    Zfs = 0x2FC12FC1,
    Bcachefs = 0xCA451A4E,
    Jfs = 0x3153464A,
    Reiserfs = 0x52654973,
    Nilfs = 0x3434,
    Overlay = 0x794C7630,
    Vfat = 0x4D44,  // msdos too
    Exfat = 0x2011BAB0,
    Ntfs3 = 0x7366746E,
    Ntfs = 0x5346544E,
    Hfsplus = 0x482B,
    Udf = 0x15013346,
    Fuse = 0x65735546,  // fuse and fuseblk alike
    Nfs = 0x6969,
    Cifs = 0xFF534D42,
    Smb2 = 0xFE534D42,
    Plan9 = 0x01021997,
    Ceph = 0x00C36400,
};

}  // namespace

Medium MediumOfKind(std::uint32_t type, bool onBlockDevice) {
    Medium medium;
    switch (type) {
        case Ext4:
        case Xfs:
        case Btrfs:
        case Tmpfs:
        case Ramfs:
        case F2fs:
        case Zfs:
        case Bcachefs:
        case Jfs:
        case Reiserfs:
        case Nilfs:
            medium.StableIdentity = true;
            medium.FlushedWhole = true;
            medium.FlushEverything = false;
            break;
        // Inode numbers made up as files are met (FAT, exFAT), or taken from
        // layers that change (overlay): only the bytes tell.
        case Overlay:
        case Vfat:
        case Exfat:
        case Ntfs3:
        case Ntfs:
        case Hfsplus:
        case Udf:
            medium.FlushedWhole = true;
            medium.FlushEverything = false;
            break;
        case Fuse:
            // fuseblk lies on a block device (major number not 0), which a
            // flush of the file system reaches; a plain FUSE file system
            // writes wherever its program does.
            if (onBlockDevice) {
                medium.FlushedWhole = true;
                medium.FlushEverything = false;
            }
            break;
        // The server puts what each flushed file holds on its disk.
        case Nfs:
        case Cifs:
        case Smb2:
        case Plan9:
        case Ceph:
            medium.FlushEverything = false;
            break;
        default:
            break;
    }
    return medium;
}

Medium MediumOf(int fd, const struct stat& info) {
    struct statfs fs {};
    // Unknown: everything flushed, bytes compared.
    Medium medium = ::fstatfs(fd, &fs) == 0 ? MediumOfKind(static_cast<std::uint32_t>(fs.f_type),
                                                           major(info.st_dev) != 0)
                                            : Medium{};
    errno = 0;
    const long name = ::fpathconf(fd, _PC_NAME_MAX);
    if (name > 0) {
        medium.MaxName = static_cast<std::size_t>(name);
    }
    return medium;
}

int OpenUnnamedFile(int folder) {
    return ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0666);
}

bool UnnamedFilesLinkable() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

void LinkUnnamedFile(int fd, int folder, const std::string& name, int& throughProc) {
    // By the descriptor itself where the system allows it (privileged, or a
    // recent kernel), else through /proc, whose path costs a lookup.
    if (throughProc != 1) {
        if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) {
            throughProc = 0;
            return;
        }
        if (throughProc == 0 || (errno != ENOENT && errno != EPERM)) {
            FailWithErrno();
        }
        throughProc = 1;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        FailWithErrno();
    }
}

bool RenameWithoutReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        FailWithErrno();
    }
    return false;
}

void StartDurable(int fd) {
    // Only started: the flush of the file system then mostly finds the data
    // on the disk.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void FlushFileSystem(int fd) {
    if (::syncfs(fd) != 0) {
        FailWithErrno();
    }
}

ssize_t CopyFileRange(int from, int to, std::size_t length) {
    return ::copy_file_range(from, nullptr, to, nullptr, length, 0);
}

}  // namespace ostrel::posix
