#pragma once
// Test doubles for the platform services.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "UserInteraction.h"

namespace ostrel::test {

struct ShownMessage {
    std::string Prompt;
    std::string Title;
    MessageKind Kind;
};

// Records every call, in order, and answers message boxes as told.
class RecordingUser : public UserInteraction {
  public:
    Answer ShowMessage(const std::string& prompt, const std::string& title,
                       MessageKind kind) override;
    void SetBusyPointer(bool busy) override;
    void SetProgressMinimum(std::int32_t value) override;
    void SetProgressMaximum(std::int32_t value) override;
    void SetProgressPosition(std::int32_t value) override;
    void SetProgressVisible(bool visible) override;

    // The answer to questions; other kinds are answered Ok.
    Answer QuestionAnswer = Answer::Yes;
    std::vector<ShownMessage> Messages;
    // Every call as a short line: "message:Convert", "busy:1", "max:3", "pos:1", "visible:0".
    std::vector<std::string> Calls;
    std::vector<std::int32_t> Positions;
    bool Busy = false;
    bool ProgressVisible = false;
    std::int32_t ProgressMaximum = 0;
};

// The real file system, with failures switched on where a test asks for them.
class FaultyFileSystem : public FileSystem {
  public:
    FaultyFileSystem();

    std::set<std::string> UnlistableFolders;  // full paths whose listing fails
    std::set<std::string> UncreatableFiles;   // full paths whose creation fails
    std::set<std::string> RacedFiles;         // created by "someone else" just before us
    std::set<std::string> UndeletableFiles;   // full paths whose deletion fails
    std::int64_t WriteLimit = -1;             // bytes a new file takes before "disk full"
    std::vector<std::string> Created;         // every file created, in order
    std::int64_t FileExistsCalls = 0;
    int DurableCommits = 0;

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

  private:
    std::unique_ptr<FileSystem> real_;
};

}  // namespace ostrel::test
