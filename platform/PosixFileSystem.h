#pragma once
// The file system services on POSIX systems, on the machine's own folders:
// every folder held open by its descriptor, and every entry reached relative
// to it.

#include <sys/types.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "PosixExtensions.h"

namespace ostrel {

class PosixFileSystem : public FileSystem {
public:
    // How a new file gets its name. Each is used where the folder's file
    // system allows it, the first that works: an unnamed file linked in under
    // its name (Linux's O_TMPFILE); a hidden temporary name renamed without
    // replacing; the temporary name linked to the name, then dropped; a
    // temporary name moved over an empty file of our own that holds the name
    // (file systems with none of these, such as FAT through FUSE). Tests
    // refuse unnamed files through OpenUnnamed, and switch the others off,
    // to reach each.
    struct Features {
        bool RenameWithoutReplace = true;
        bool HardLinks = true;
    };

    PosixFileSystem() = default;
    explicit PosixFileSystem(Features features) : features_(features) {}

    bool FolderExists(const std::string& path) override;
    Folder GetFolder(const std::string& path) override;
    Folder EnterFolder(const Folder& parent, const Folder& listed) override;
    std::optional<Folder> OpenFolder(const Folder& parent, const std::string& name) override;
    Folder CreateFolder(const Folder& parent, const std::string& name) override;
    bool FileExists(const Folder& folder, const std::string& name) override;
    FolderListing ListFolder(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const Folder& folder, const File& file) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) override;
    std::uint64_t CopyRemainder(InputFile& from, OutputFile& to) override;
    void MakeDurable() override;
    void DeleteFile(const Folder& folder, const File& file, const DeletionCheck* check) override;
    void DeleteFolder(const Folder& parent, const Folder& folder) override;
    std::size_t MaxNameLength(const Folder& folder) override;
    bool IsFileSystemTop(const Folder& folder) override;

protected:
    // One call of the system's in-place copy (Linux's copy_file_range): the
    // bytes it moved, 0 at the end of the input, or -1 with errno set.
    virtual ssize_t CopyRange(int from, int to, std::size_t length);
    // One call of the system's open of an unnamed new file in the open folder
    // `folder`: its descriptor, or -1 with errno set (EOPNOTSUPP where there
    // are none).
    virtual int OpenUnnamed(int folder);
    // Puts the durable files published in `folder` since the last flush, and
    // their names, on the medium. `flushedWhole` holds the devices flushed
    // whole so far in this batch.
    virtual void FlushFolder(const Folder& folder, std::set<std::uint64_t>& flushedWhole);
    // The last way of naming a new file: moves the whole file `from` over the
    // empty file `to` of our own in the open folder `folder`.
    virtual void MoveOverPlaceholder(int folder, const std::string& from, const std::string& to);
    // What the file system of the open `fd`, whose status is `info`, promises.
    virtual posix::Medium DescribeMedium(int fd, const struct stat& info);

private:
    friend class PosixOutputFile;

    // What is known of the file system of a device, and which ways of naming
    // a new file it has turned out not to have.
    struct MediumState {
        posix::Medium Medium;
        bool Renames = true;
        bool HardLinks = true;
    };
    MediumState& MediumOf(int fd, const struct stat& info);
    MediumState& MediumOf(const Folder& folder);
    // Looks once in a folder for what a run that ended in the middle of the
    // last way of naming a file left there, and removes it.
    void RecoverLeftovers(const Folder& folder);

    Features features_;
    std::map<std::uint64_t, MediumState> media_;
    // The folders that got files published with `durable` since the last
    // MakeDurable, each once.
    std::vector<Folder> unflushed_;
    std::set<FolderId> recovered_;
    std::optional<bool> unnamedLinkable_;
    int throughProc_ = -1;
};

}  // namespace ostrel
