#pragma once
// The file-system service: folders held open and the files and folders
// reached through them by name, existence tests, folder creation, new files
// that get their name only when whole, byte streams and deletion.
//
// Every failure is thrown as FileSystemError, whose what() is the system's own
// description of it ("Permission denied", "No space left on device"), so that
// callers can put it in front of the user unchanged. Paths are UTF-8 text.

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
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
inline constexpr const char* ReplacedSinceListed = "It was replaced while the conversion ran";

// What tells two folders apart however they are reached (device and inode;
// on Windows, volume serial number and file index).
struct FolderId {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the defaulted comparison
    auto operator<=>(const FolderId&) const = default;
};

// What tells whether a file is still the one that was read. Where the file
// system keeps its numbers (StableIdentity: ext4, XFS, Btrfs, tmpfs, NTFS...),
// the same file (device and inode), of the same size, neither modified nor
// changed otherwise since: the change time is one that no program can set
// back. Elsewhere (FAT, exFAT, FUSE and network file systems) a file may come
// back with another inode number and times too coarse to tell, so the size
// alone is compared, and then the bytes.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::int64_t ChangedNanoseconds = 0;
    bool StableIdentity = true;
    bool operator==(const FileIdentity&) const = default;
};

// A folder held open by the system: whatever is done through it is done in
// that folder, wherever it has been moved and whatever now has its name.
class FolderHandle {
public:
    virtual ~FolderHandle() = default;
};

struct Folder {
    std::string
        Path;  // full path, as the user is shown it; no trailing separator except for a root
    std::string Name;  // own name, no path
    FolderId Id;
    bool IsLink = false;  // reached through a symbolic link
    // Open from the moment the folder was opened until the last copy goes;
    // none for a folder only listed, or only planned by a dry run (which
    // holds nothing).
    std::shared_ptr<const FolderHandle> Handle;

    bool IsOpen() const { return Handle != nullptr; }
};

// A file as its folder lists it: reached by its name in that folder.
struct File {
    std::string Path;  // full path, as the user is shown it
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
// name from ListFolderByName. Subfolders are listed, not opened.
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

// What a deletion makes sure of first: that the file is still the one that
// was converted.
struct DeletionCheck {
    FileIdentity Converted;
    // Where the file system's numbers cannot tell (Converted.StableIdentity is
    // false): whether the file's bytes, open for reading from its start, are
    // still those converted.
    std::function<bool(InputFile&)> SameBytes;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Folders named by the user.
    //
    // True only when a folder exists at `path` (an empty path names none).
    virtual bool FolderExists(const std::string& path) = 0;
    // The folder that the system reaches at `path`, opened, under its full
    // path with every link and "." or ".." resolved by the system.
    virtual Folder GetFolder(const std::string& path) = 0;

    // Everything else is reached through open folders, by name.
    //
    // Opens the subfolder `listed` that ListFolder gave for the open folder
    // `parent`, and makes sure it is still what was listed: a folder, the same
    // one (where the file system keeps its numbers), and no link where the
    // listing found none. Otherwise (moved away and replaced by a link or by
    // another folder) it throws ReplacedSinceListed.
    virtual Folder EnterFolder(const Folder& parent, const Folder& listed) = 0;
    // The subfolder `name` of `parent`, opened, following a link as any
    // program does; nothing when no folder is there by that name. A folder
    // that is only planned holds nothing.
    virtual std::optional<Folder> OpenFolder(const Folder& parent, const std::string& name) = 0;
    // Makes the subfolder `name` of `parent` and opens it; "File exists" when
    // anything has that name.
    virtual Folder CreateFolder(const Folder& parent, const std::string& name) = 0;
    // True when anything is there under that name.
    virtual bool FileExists(const Folder& folder, const std::string& name) = 0;

    virtual FolderListing ListFolder(const Folder& folder) = 0;
    // The same, each kind of entry sorted by name in byte order, so that what
    // a run does with a tree never hangs on the order the system lists it in.
    FolderListing ListFolderByName(const Folder& folder);
    // True when the folder is the top of a file system (where lost+found,
    // which the file system's checker needs, lives).
    virtual bool IsFileSystemTop(const Folder& /*folder*/) { return false; }

    // Opens a regular file of the folder for reading; anything else (a FIFO
    // swapped in since the listing, a device) is refused without waiting on it.
    virtual std::unique_ptr<InputFile> OpenForReading(const Folder& folder, const File& file) = 0;
    // A new file in `folder`, unnamed until published. With `durable`, the
    // file is one that MakeDurable is to put on the disk once it is published.
    virtual std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) = 0;
    // Copies what is left of `from` into `to` with bounded memory, and returns
    // how many bytes it copied.
    virtual std::uint64_t CopyRemainder(InputFile& from, OutputFile& to);
    // Puts every file published with `durable` since the last call, and its
    // name in its folder, on the medium, as far as the file system lets a
    // program make sure of it: the files of a batch at once where one flush
    // of the file system does that, each file and folder where it does not
    // (FUSE and network file systems).
    virtual void MakeDurable() = 0;

    // Deletes the file `file` of `folder` by the name it was listed under,
    // never through a link to it. Read-only files and folders are refused,
    // whoever runs the program: on POSIX systems those without owner write
    // permission and the entries of such a folder ("Permission denied"); on
    // Windows those with the read-only attribute ("Access is denied"). With
    // `check`, a file that is no longer the one converted (replaced, changed)
    // is kept and refused (ChangedSinceRead).
    virtual void DeleteFile(const Folder& folder, const File& file, const DeletionCheck* check) = 0;
    // Removes the empty subfolder `folder` of `parent`, as listed, refused as
    // EnterFolder refuses it when it is no longer that folder.
    virtual void DeleteFolder(const Folder& parent, const Folder& folder) = 0;

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
