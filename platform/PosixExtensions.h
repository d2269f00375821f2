#pragma once
// Inside PosixFileSystem: what a system offers beyond POSIX for it. The core
// (PosixFileSystem.cpp) makes POSIX calls only; one file for each system
// defines these, LinuxFileSystem.cpp on Linux and PlainPosixFileSystem.cpp,
// with nothing beyond POSIX, elsewhere. Failures are thrown as
// FileSystemError, as by the core.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace ostrel::posix {

// The system's description of `code` (an errno value), thrown.
[[noreturn]] void Fail(int code);
[[noreturn]] void FailWithErrno();

// A new file in `folder` with no name, open for writing: its descriptor, or
// -1 with errno set (EOPNOTSUPP where the system has no such files, and the
// kernel's answer where the folder's file system has none).
int OpenUnnamedFile(const std::string& folder);
// Gives the unnamed file open as `fd` its name, never replacing anything.
void LinkUnnamedFile(int fd, const std::string& path);

// Renames `from` to `to`, never replacing anything: false where the system or
// the file system cannot do that, so that the name is taken another way.
bool RenameWithoutReplace(const std::string& from, const std::string& to);

// A durable file is whole: its data is sent on its way to the disk, or put
// there.
void StartDurable(int fd);
// Puts the durable files of the folder open as `folder`, and their names, on
// the disk. `devices` holds the file systems done so far in this batch, for a
// system that puts a whole file system on the disk at once.
void FinishDurable(int folder, std::set<std::uint64_t>& devices);

// One call of an in-place copy from file to file: the bytes moved, 0 at the
// end of the input, or -1 with errno set (ENOSYS where the system has none).
ssize_t CopyFileRange(int from, int to, std::size_t length);

}  // namespace ostrel::posix
