#pragma once
// The file system services on POSIX systems, on the machine's own folders.

#include "FileSystem.h"

namespace ostrel {

class PosixFileSystem : public FileSystem {
public:
    bool FolderExists(const std::string& path) override;
    Folder GetFolder(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::vector<File> Files(const Folder& folder) override;
    std::vector<Folder> Subfolders(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const File& file) override;
    std::unique_ptr<OutputFile> CreateNewFile(const std::string& path) override;
    void CopyRemainder(InputFile& from, OutputFile& to) override;
    void DeleteFile(const File& file) override;
    void DeleteFolder(const Folder& folder) override;
    std::size_t MaxNameLength(const Folder& folder) override;
};

}  // namespace ostrel
