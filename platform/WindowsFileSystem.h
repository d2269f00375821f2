#pragma once
// The file system services on Windows, on the wide-character Win32 API: UTF-8
// paths inside the program, UTF-16 at the system, and every path handed to
// the system in its "\\?\" form, so that no path is cut at 260 characters.

#include <set>
#include <string>

#include "FileSystem.h"

namespace ostrel {

class WindowsFileSystem : public FileSystem {
public:
    bool FolderExists(const std::string& path) override;
    Folder GetFolder(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FolderListing ListFolder(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const File& file) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) override;
    void MakeDurable() override;
    void DeleteFile(const File& file, const std::optional<FileIdentity>& expected) override;
    void DeleteFolder(const Folder& folder) override;
    std::string JoinPath(const std::string& folderPath, const std::string& name) const override;
    bool IsValidName(const std::string& name) const override;
    std::string ComparablePath(const std::string& path) const override;
    FileSystemError NameTooLong() const override;
    std::size_t MaxNameLength(const Folder& folder) override;
    bool NameFits(const Folder& folder, const std::string& name) override;

private:
    // The folders that got files published with `durable` since the last
    // MakeDurable.
    std::set<std::wstring> unflushed_;
};

// The system's own description of a Win32 error code, without its final full
// stop, as every report of this service words it.
std::string SystemErrorText(unsigned long code);

}  // namespace ostrel
