#pragma once
// The file system services on Windows: every folder held open by its handle,
// and every entry below it reached by name relative to that handle through
// the system's native calls. UTF-8 paths inside the program, UTF-16 at the
// system; a folder that the user names is opened in its "\\?\" form, so that
// no path is cut at 260 characters.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace ostrel {

// What the file system of a volume promises, from its name and its device.
struct WindowsMedium {
    // Its file numbers last and every change moves a file's change time
    // (NTFS and ReFS on a local fixed disk); elsewhere a file's bytes tell.
    bool StableIdentity = false;
    // Its file numbers are 128 bits wide (ReFS), of which the short number
    // may not tell two files apart.
    bool WideIds = false;
    // A network share: the server decides when its folders' names reach its
    // disk, and may refuse to flush a folder.
    bool Remote = false;
};

// The medium of a volume whose file system has the name `fileSystem` (as
// GetVolumeInformation gives it) on a device that is a network share
// (`remote`) or has removable media.
WindowsMedium ClassifyMedium(std::wstring_view fileSystem, bool remote, bool removable);

class WindowsFileSystem : public FileSystem {
public:
    WindowsFileSystem();

    bool FolderExists(const std::string& path) override;
    Folder GetFolder(const std::string& path) override;
    Folder EnterFolder(const Folder& parent, const Folder& listed) override;
    std::optional<Folder> OpenFolder(const Folder& parent, const std::string& name) override;
    Folder CreateFolder(const Folder& parent, const std::string& name) override;
    bool FileExists(const Folder& folder, const std::string& name) override;
    FolderListing ListFolder(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const Folder& folder, const File& file) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) override;
    void MakeDurable() override;
    void DeleteFile(const Folder& folder, const File& file, const DeletionCheck* check) override;
    void DeleteFolder(const Folder& parent, const Folder& folder) override;
    std::string JoinPath(const std::string& folderPath, const std::string& name) const override;
    bool IsValidName(const std::string& name) const override;
    std::string ComparablePath(const std::string& path) const override;
    FileSystemError NameTooLong() const override;
    std::size_t MaxNameLength(const Folder& folder) override;
    bool NameFits(const Folder& folder, const std::string& name) override;

    // Every folder handle that this service has open, by folder: a folder
    // goes from its volume only once the last handle to it is closed.
    struct OpenFolders;

protected:
    // What the volume of the open file or folder `handle` (a HANDLE) promises.
    virtual WindowsMedium DescribeMedium(void* handle);
    // Puts the names in the open folder `folder` on the medium: 0, or the
    // system's error code for why it could not.
    virtual unsigned long FlushFolder(const Folder& folder);

private:
    friend class WindowsOutputFile;

    const WindowsMedium& MediumOf(void* handle, std::uint64_t volume);
    const WindowsMedium& MediumOf(const Folder& folder);
    // What tells the open file or folder `handle` apart: reached through a
    // link, on whatever volume the system says; opened in the open folder
    // `folder` as no link, on the folder's own.
    FolderId IdOf(void* handle);
    FolderId IdIn(const Folder& folder, void* handle);
    FileIdentity IdentityOf(void* handle, std::uint64_t volume);
    // The open folder `handle`, held from now on.
    Folder Opened(void* handle, FolderId id, std::string path, std::string name, bool isLink);

    std::shared_ptr<OpenFolders> open_;
    std::map<std::uint64_t, WindowsMedium> media_;  // by volume serial number
    // The folders that got files published with `durable` since the last
    // MakeDurable, each once.
    std::vector<Folder> unflushed_;
};

// The system's own description of a Win32 error code, without its final full
// stop, as every report of this service words it.
std::string SystemErrorText(unsigned long code);

}  // namespace ostrel
