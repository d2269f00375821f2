#pragma once
// Inside PosixFileSystem: what a system offers beyond POSIX for it. The core
// (PosixFileSystem.cpp) makes POSIX calls only; one file for each system
// defines these, LinuxFileSystem.cpp on Linux and PlainPosixFileSystem.cpp,
// with nothing beyond POSIX, elsewhere. Failures are thrown as
// FileSystemError, as by the core.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrel::posix {

// The system's description of `code` (an errno value), thrown.
[[noreturn]] void Fail(int code);
[[noreturn]] void FailWithErrno();

// What a file system promises, which decides how a file is known to be the
// one that was read, and how new files are put on the medium.
struct Medium {
    // Inode numbers last as long as the file, and change times cannot be set
    // back: device, inode, size and both times tell a file apart. Where not
    // (FAT, exFAT, FUSE, network file systems), its bytes must tell.
    bool StableIdentity = false;
    // One flush of the file system (syncfs) puts everything written on it on
    // the medium: a file system of the kernel on a block device, or a FUSE
    // file system on one (fuseblk). Elsewhere each file and folder is flushed
    // on its own.
    bool FlushedWhole = false;
    // Even a flush of each file may stop at a program that keeps the file
    // system (plain FUSE, or a kind not known here), which writes into files
    // of its own: only a flush of every file system reaches those.
    bool FlushEverything = true;
    // The longest name, in bytes.
    std::size_t MaxName = 255;
};

// The medium of the open file or folder `fd`, whose status is `info`.
Medium MediumOf(int fd, const struct stat& info);

#ifdef __linux__
// The medium of a file system of the kind `type` (statfs's f_type), which
// lies on a block device or not.
Medium MediumOfKind(std::uint32_t type, bool onBlockDevice);
#endif

// A new file in the open folder `folder` with no name, open for writing: its
// descriptor, or -1 with errno set (EOPNOTSUPP where the system has no such
// files, and the kernel's answer where the folder's file system has none).
int OpenUnnamedFile(int folder);
// Gives the unnamed file open as `fd` the name `name` in the open folder
// `folder`, never replacing anything. `throughProc` says how the system lets
// an unnamed file be linked: unknown (-1), by the descriptor itself (0), or
// through its entry under /proc/self/fd (1); it is set once known.
void LinkUnnamedFile(int fd, int folder, const std::string& name, int& throughProc);
// Whether an unnamed file can be given a name at all here (a sandbox may hide
// /proc/self/fd, and without privilege the descriptor alone is not enough).
bool UnnamedFilesLinkable();

// Renames `from` to `to` in the open folder `folder`, never replacing
// anything: false where the system or the file system cannot do that, so
// that the name is taken another way.
bool RenameWithoutReplace(int folder, const std::string& from, const std::string& to);

// Starts the data of a durable file on its way to the medium, so that the
// flush of its file system mostly finds it there.
void StartDurable(int fd);
// Puts everything written on the file system of the open `fd` on its medium.
void FlushFileSystem(int fd);

// One call of an in-place copy from file to file: the bytes moved, 0 at the
// end of the input, or -1 with errno set (ENOSYS where the system has none).
ssize_t CopyFileRange(int from, int to, std::size_t length);

}  // namespace ostrel::posix
