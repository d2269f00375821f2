#pragma once
// Test doubles for the platform services.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "FileDialog.h"
#ifdef _WIN32
#include "WindowsFileSystem.h"
#else
#include "PosixFileSystem.h"
#endif
#include "SettingsStore.h"
#include "Shell.h"
#include "UserInteraction.h"

namespace ostrel::test {

struct ShownMessage {
    std::string Title;
    MessageKind Kind;
    MessageExtras Extras;  // as shown
};

// Records every call in order, as "message:<title>", "busy:1", "max:3",
// "pos:1" or "visible:0", answers questions as told, and ticks the check box
// of a message when told to.
class RecordingUser : public UserInteraction {
public:
    Answer ShowWithExtras(const std::string& prompt, const std::string& title, MessageKind kind,
                          MessageExtras& extras) override {
        Messages.push_back({title, kind, extras});
        Prompts.push_back(prompt);
        Calls.push_back("message:" + title);
        if (!extras.CheckBox.empty()) {
            extras.Checked = TickCheckBox;
        }
        return kind == MessageKind::Question ? QuestionAnswer : Answer::Ok;
    }
    void SetBusyPointer(bool busy) override { Log("busy:", busy); }
    void SetProgressMaximum(std::int32_t value) override { Log("max:", value); }
    void SetProgressPosition(std::int32_t value) override { Log("pos:", Position = value); }
    void SetProgressVisible(bool visible) override { Log("visible:", visible); }
    void Log(const char* call, long value) { Calls.push_back(call + std::to_string(value)); }

    Answer QuestionAnswer = Answer::Yes;
    bool TickCheckBox = false;
    std::int32_t Position = 0;           // of the progress bar
    std::vector<std::string> Prompts;    // the messages' texts
    std::vector<ShownMessage> Messages;  // their titles, kinds and extras
    std::vector<std::string> Calls;
};

#ifdef _WIN32
using SystemFileSystem = WindowsFileSystem;
#else
using SystemFileSystem = PosixFileSystem;
#endif

// The real file system, with what cannot be made for real switched on where a
// test asks for it, and a log of the flushes and deletions in their order.
class FaultyFileSystem : public SystemFileSystem {
public:
    using SystemFileSystem::SystemFileSystem;

    std::set<std::string> RacedFiles;  // taken by "someone else" once found free
    std::int64_t WriteLimit = -1;      // bytes a new file takes before the disk is full
    std::function<void(const File&)> AfterOpening;     // meddles with a source once it is open
    std::function<void(const File&)> BeforeDeleting;   // ... or just before it is deleted
    std::function<void(const Folder&)> BeforeListing;  // may throw as a failed listing
    // Folders to be taken for the top of a file system, besides the system's.
    std::function<bool(const Folder&)> FileSystemTop;
    // Meddle with a listed subfolder just before it is entered, or removed.
    std::function<void(const Folder&)> BeforeEntering;
    std::function<void(const Folder&)> BeforeRemoving;
    std::function<bool(const std::string&)> Taken;  // names to be found taken, besides the disk's
    int FlushFailure = 0;  // an errno value with which MakeDurable fails, or 0
    // How the kernel's copy behaves: as it does, refusing (across file
    // systems), or moving at most this many bytes a call. (Windows has none.)
    enum class Copy { Kernel, CrossDevice, ShortCalls } Copying = Copy::Kernel;
    std::function<void()> BeforeCopyCall;  // runs before each call of the kernel's copy
    bool RefuseUnnamed = false;        // the kernel refuses unnamed files, as on FAT (POSIX only)
    std::vector<std::string> Flushed;  // the folders flushed, in order
    std::vector<std::string> Log;      // "durable", "delete:<file>", in order
    // Runs where a file is about to be moved over the empty file that holds
    // its name (POSIX only): a crash there is what a next run must mend.
    std::function<void()> BeforeMovingOverPlaceholder;
    // A medium without lasting inode numbers (FAT, FUSE), where a file's
    // bytes tell whether it is the one converted, and whose files are each
    // flushed on their own.
    bool Unnumbered = false;
#ifdef _WIN32
    bool Network = false;                // the medium is a share, and unnumbered
    unsigned long FolderFlushError = 0;  // a Win32 error with which folder flushes fail, or 0
#endif

    Folder EnterFolder(const Folder& parent, const Folder& listed) override;
    bool IsFileSystemTop(const Folder& folder) override;
    bool FileExists(const Folder& folder, const std::string& name) override;
    FolderListing ListFolder(const Folder& folder) override;
    std::unique_ptr<InputFile> OpenForReading(const Folder& folder, const File& file) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const Folder& folder, bool durable) override;
    void MakeDurable() override;
    void DeleteFile(const Folder& folder, const File& file, const DeletionCheck* check) override;
    void DeleteFolder(const Folder& parent, const Folder& folder) override;

#ifndef _WIN32
protected:
    ssize_t CopyRange(int from, int to, std::size_t length) override;
    int OpenUnnamed(int folder) override;
    void FlushFolder(const Folder& folder, std::set<std::uint64_t>& flushedWhole) override;
    void MoveOverPlaceholder(int folder, const std::string& from, const std::string& to) override;
    posix::Medium DescribeMedium(int fd, const struct stat& info) override;
#else
protected:
    WindowsMedium DescribeMedium(void* handle) override;
    unsigned long FlushFolder(const Folder& folder) override;
#endif
};

// A settings store in memory: (application, section, key) -> text.
class MemorySettingsStore : public SettingsStore {
public:
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& fallback) override {
        const auto it = Values.find({application, section, key});
        return it == Values.end() ? fallback : it->second;
    }
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        Values[{application, section, key}] = value;
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> Values;
};

// Records each showing and answers as told (nothing: cancelled).
class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> ShowOpen(const OpenDialogRequest& request) override {
        Showings.push_back(request);
        return Answer;
    }
    std::optional<std::string> Answer;
    std::vector<OpenDialogRequest> Showings;
};

// Records the targets it opens and answers as told (nothing: started).
class FakeShell : public Shell {
public:
    std::optional<ShellFailure> Open(const std::string& target) override {
        Targets.push_back(target);
        return Failure;
    }
    std::optional<ShellFailure> Failure;
    std::vector<std::string> Targets;
};

}  // namespace ostrel::test
