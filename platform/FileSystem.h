#pragma once
// The file-system service: folders and files by handle, existence tests, folder
// creation, new files that get their name only when whole, byte streams and
// deletion.
//
// Every failure is thrown as FileSystemError, whose what() is the system's own
// description of it ("Permission denied", "No space left on device"), so that
// callers can put it in front of the user unchanged. Paths are UTF-8 text.

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ostrel {

class FileSystemError : public std::runtime_error {
public:
    // `code` is the errno-style code where there is one, 0 otherwise.
    explicit FileSystemError(const std::string& description, int code = 0)
        : std::runtime_error(description), code_(code) {}
    int Code() const { return code_; }
    // True when a file or folder of that name is there already.
    bool AlreadyExists() const;

private:
    int code_;
};

// The service's own descriptions, where the system has none for what it
// refuses; the same on every system.
inline constexpr const char* NotARegularFile = "It is not a regular file";
inline constexpr const char* ChangedSinceRead = "It has changed since it was converted";

// What tells two folders apart however they are reached (device and inode;
// on Windows, volume serial number and file index).
struct FolderId {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the defaulted comparison
    auto operator<=>(const FolderId&) const = default;
};

// What tells whether a file is still the one that was read: the same file
// (device and inode), of the same size, not modified since.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct Folder {
    std::string Path;  // full path, no trailing separator except for a root
    std::string Name;  // own name, no path
    FolderId Id;
    bool IsLink = false;  // reached through a symbolic link
};

struct File {
    std::string Path;  // full path
    std::string Name;  // name with extension, no path
};

// An entry that is neither a file nor a folder: a FIFO, a socket, a device or
// a link that leads nowhere. `Description` says why it cannot be read.
struct OtherEntry {
    std::string Path;
    std::string Name;
    std::string Description;
};

// What a folder holds: in the order the system lists it from ListFolder, by
// name from ListFolderByName.
struct FolderListing {
    std::vector<File> Files;  // regular files, also through links
    std::vector<Folder> Subfolders;
    std::vector<OtherEntry> Others;
};

class InputFile {
public:
    virtual ~InputFile() = default;
    // The file as it was when it was opened.
    virtual FileIdentity Identity() = 0;
    // Reads up to buffer.size() bytes; returns 0 only at the end of the file.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// A new file in a folder that has no name until Publish gives it one, so that
// no file appears under a picture's name before it is whole. Unless published,
// it leaves nothing behind when the object goes.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Sets the file's access and modification times, to the second. Called
    // after the last Write (a write would move them again) and before Publish,
    // so that the file shows its date from the moment it has a name.
    virtual void SetTimes(std::chrono::system_clock::time_point time) = 0;
    // Completes the file and gives it `name` in its folder, never replacing
    // anything. A taken name throws a FileSystemError whose AlreadyExists() is
    // true; the file may then be published under another name.
    virtual void Publish(const std::string& name) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True only when a folder exists at `path` (an empty path names none).
    virtual bool FolderExists(const std::string& path) = 0;
    // The folder that the system reaches at `path`, under its full path with
    // every link and "." or ".." resolved by the system.
    virtual Folder GetFolder(const std::string& path) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // True when anything is there under that name.
    virtual bool FileExists(const std::string& path) = 0;

    virtual FolderListing ListFolder(const Folder& folder) = 0;
    // The same, each kind of entry sorted by name in byte order, so that what
    // a run does with a tree never hangs on the order the system lists it in.
    FolderListing ListFolderByName(const Folder& folder);
    // True when the folder is the top of a file system (where lost+found,
    // which the file system's checker needs, lives).
    virtual bool IsFileSystemTop(const Folder& /*folder*/) { return false; }

    // Opens a regular file for reading; anything else (a FIFO swapped in
    // since the listing, a device) is refused without waiting on it.
    virtual std::unique_ptr<InputFile> OpenForReading(const File& file) = 0;
    // A new file in `folder`, unnamed until published. With `durable`, the
    // file is one that MakeDurable is to put on the disk once it is published.
    virtual std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) = 0;
    // Copies what is left of `from` into `to` with bounded memory, and returns
    // how many bytes it copied.
    virtual std::uint64_t CopyRemainder(InputFile& from, OutputFile& to);
    // Puts every file published with `durable` since the last call, and its
    // name in its folder, on the disk: the files of a batch at once, far
    // cheaper than one at a time.
    virtual void MakeDurable() = 0;

    // Read-only files and folders are refused, whoever runs the program: on
    // POSIX systems those without owner write permission and the entries of
    // such a folder ("Permission denied"); on Windows those with the
    // read-only attribute ("Access is denied"). With `expected`, a file that
    // is no longer the one read (replaced, changed) is kept and refused.
    // DeleteFolder removes an empty folder only.
    virtual void DeleteFile(const File& file, const std::optional<FileIdentity>& expected) = 0;
    virtual void DeleteFolder(const Folder& folder) = 0;

    // The folder's path, the separator and the name.
    virtual std::string JoinPath(const std::string& folderPath, const std::string& name) const;
    // Whether `name` can stand as one file name here (no separator, no NUL,
    // not "." or "..", nothing the system keeps for itself).
    virtual bool IsValidName(const std::string& name) const;
    // The path in the form in which the system tells names apart: two paths
    // name the same entry when their forms are equal.
    virtual std::string ComparablePath(const std::string& path) const { return path; }
    // The failure of a name longer than the file system takes, as the system
    // words it.
    virtual FileSystemError NameTooLong() const;
    // The longest file name, in bytes, that the folder's file system accepts.
    virtual std::size_t MaxNameLength(const Folder& folder) = 0;
    // Whether a file of that name can be made in the folder, its length
    // counted as the system counts it: by default, within MaxNameLength.
    virtual bool NameFits(const Folder& folder, const std::string& name);
};

// A hidden name for a file while it is written, which no picture and no PMP
// file can have; a new one at each call.
std::string TemporaryFileName();

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace ostrel
