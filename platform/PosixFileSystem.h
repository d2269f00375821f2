#pragma once
// The file system services on POSIX systems, on the machine's own folders.

#include <sys/types.h>

#include <set>
#include <string>

#include "FileSystem.h"

namespace ostrel {

class PosixFileSystem : public FileSystem {
public:
    // How a new file gets its name. Each is used where the folder's file
    // system allows it, the first that works: an unnamed file linked in under
    // its name (Linux's O_TMPFILE); a hidden temporary name renamed without
    // replacing; a temporary name moved over an empty file of our own, taken
    // exclusively (file systems without either, such as FAT). Tests refuse
    // unnamed files through OpenUnnamed, and switch renaming without
    // replacing off, to reach the others.
    struct Features {
        bool RenameWithoutReplace = true;
    };

    PosixFileSystem() = default;
    explicit PosixFileSystem(Features features) : features_(features) {}

    bool FolderExists(const std::string& path) override;
    Folder GetFolder(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FolderListing ListFolder(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const File& file) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) override;
    std::uint64_t CopyRemainder(InputFile& from, OutputFile& to) override;
    void MakeDurable() override;
    void DeleteFile(const File& file, const std::optional<FileIdentity>& expected) override;
    void DeleteFolder(const Folder& folder) override;
    std::size_t MaxNameLength(const Folder& folder) override;
    bool IsFileSystemTop(const Folder& folder) override;

protected:
    // One call of the system's in-place copy (Linux's copy_file_range): the
    // bytes it moved, 0 at the end of the input, or -1 with errno set.
    virtual ssize_t CopyRange(int from, int to, std::size_t length);
    // One call of the system's open of an unnamed new file in `folder`: its
    // descriptor, or -1 with errno set (EOPNOTSUPP where there are none).
    virtual int OpenUnnamed(const std::string& folder);
    // Puts the durable files published in `folder` since the last flush, and
    // their names, on the disk; `devices` as for posix::FinishDurable.
    virtual void FlushFolder(const std::string& folder, std::set<std::uint64_t>& devices);

private:
    Features features_;
    // The folders that got files published with `durable` since the last
    // MakeDurable.
    std::set<std::string> unflushed_;
    std::string maxNameFolder_;
    std::size_t maxName_ = 255;
};

}  // namespace ostrel
