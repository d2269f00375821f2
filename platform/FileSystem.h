#pragma once
// The file-system service: folders and files by handle, existence tests, folder
// creation, exclusive file creation, byte streams and deletion.
//
// Every failure is thrown as FileSystemError, whose what() is the system's own
// description of it ("Permission denied", "No space left on device"), so that
// callers can put it in front of the user unchanged. Paths are UTF-8 text.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
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

// What tells two folders apart however they are reached (device and inode).
struct FolderId {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    auto operator<=>(const FolderId&) const = default;
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

class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::uint64_t Size() = 0;
    // Reads up to buffer.size() bytes; returns 0 only at the end of the file.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// A file created by CreateNewFile. Unless Commit succeeds, the file is removed
// again when the object goes, so that no partial file is ever left behind.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Completes and closes the file; with `durable`, also flushes it to the disk.
    virtual void Commit(bool durable) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True only when a folder exists at `path` (an empty path names none).
    virtual bool FolderExists(const std::string& path) = 0;
    virtual Folder GetFolder(const std::string& path) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // True when anything is there under that name.
    virtual bool FileExists(const std::string& path) = 0;

    // The files (regular files, also through links) directly in the folder, in
    // the order the system lists them; other kinds of entries are left out.
    virtual std::vector<File> Files(const Folder& folder) = 0;
    virtual std::vector<Folder> Subfolders(const Folder& folder) = 0;

    virtual std::unique_ptr<InputFile> OpenForReading(const File& file) = 0;
    // Creates a new, empty file; never replaces one. A taken name throws a
    // FileSystemError whose AlreadyExists() is true.
    virtual std::unique_ptr<OutputFile> CreateNewFile(const std::string& path) = 0;
    // Copies what is left of `from` into `to`, with bounded memory.
    virtual void CopyRemainder(InputFile& from, OutputFile& to);

    // Read-only files and folders (no owner write permission), and entries of
    // a read-only folder, are refused with "Permission denied", whoever runs
    // the program. DeleteFolder removes an empty folder only.
    virtual void DeleteFile(const File& file) = 0;
    virtual void DeleteFolder(const Folder& folder) = 0;

    // The folder's path, the separator and the name.
    virtual std::string JoinPath(const std::string& folderPath, const std::string& name) const;
    // Whether `name` can stand as one file name here (no separator, not "." or "..").
    virtual bool IsValidName(const std::string& name) const;
    // The longest file name, in bytes, that the folder's file system accepts.
    virtual std::size_t MaxNameLength(const Folder& folder) = 0;
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace ostrel
