#include "Doubles.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace ostrel::test {

Answer RecordingUser::ShowMessage(const std::string& prompt, const std::string& title,
                                  MessageKind kind) {
    Messages.push_back({prompt, title, kind});
    Calls.push_back("message:" + title);
    return kind == MessageKind::Question ? QuestionAnswer : Answer::Ok;
}

void RecordingUser::SetBusyPointer(bool busy) {
    Busy = busy;
    Calls.push_back(busy ? "busy:1" : "busy:0");
}

void RecordingUser::SetProgressMinimum(std::int32_t value) {
    Calls.push_back("min:" + std::to_string(value));
}

void RecordingUser::SetProgressMaximum(std::int32_t value) {
    ProgressMaximum = value;
    Calls.push_back("max:" + std::to_string(value));
}

void RecordingUser::SetProgressPosition(std::int32_t value) {
    Positions.push_back(value);
    Calls.push_back("pos:" + std::to_string(value));
}

void RecordingUser::SetProgressVisible(bool visible) {
    ProgressVisible = visible;
    Calls.push_back(visible ? "visible:1" : "visible:0");
}

namespace {

[[noreturn]] void Fail(int code) {
    throw FileSystemError(std::generic_category().message(code), code);
}

// Passes writes through until the limit, then fails as a full disk does.
class LimitedOutput : public OutputFile {
  public:
    LimitedOutput(std::unique_ptr<OutputFile> real, std::int64_t limit, int& durableCommits)
        : real_(std::move(real)), left_(limit), durableCommits_(durableCommits) {}
    void Write(std::span<const std::uint8_t> bytes) override {
        if (left_ >= 0) {
            if (static_cast<std::int64_t>(bytes.size()) > left_) {
                real_->Write(bytes.first(static_cast<std::size_t>(left_)));
                left_ = 0;
                Fail(ENOSPC);
            }
            left_ -= static_cast<std::int64_t>(bytes.size());
        }
        real_->Write(bytes);
    }
    void Commit(bool durable) override {
        real_->Commit(durable);
        if (durable) {
            ++durableCommits_;
        }
    }

  private:
    std::unique_ptr<OutputFile> real_;
    std::int64_t left_;
    int& durableCommits_;
};

}  // namespace

FaultyFileSystem::FaultyFileSystem() : real_(MakeSystemFileSystem()) {}

bool FaultyFileSystem::FolderExists(const std::string& path) {
    return real_->FolderExists(path);
}

Folder FaultyFileSystem::GetFolder(const std::string& path) {
    return real_->GetFolder(path);
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
    real_->CreateFolder(path);
}

bool FaultyFileSystem::FileExists(const std::string& path) {
    ++FileExistsCalls;
    return real_->FileExists(path);
}

std::vector<File> FaultyFileSystem::Files(const Folder& folder) {
    if (UnlistableFolders.contains(folder.Path)) {
        Fail(EACCES);
    }
    return real_->Files(folder);
}

std::vector<Folder> FaultyFileSystem::Subfolders(const Folder& folder) {
    if (UnlistableFolders.contains(folder.Path)) {
        Fail(EACCES);
    }
    return real_->Subfolders(folder);
}

std::unique_ptr<InputFile> FaultyFileSystem::OpenForReading(const File& file) {
    return real_->OpenForReading(file);
}

std::unique_ptr<OutputFile> FaultyFileSystem::CreateNewFile(const std::string& path) {
    if (UncreatableFiles.contains(path)) {
        Fail(EIO);
    }
    if (RacedFiles.erase(path) > 0) {
        std::ofstream(path) << "someone else's";
    }
    auto file =
        std::make_unique<LimitedOutput>(real_->CreateNewFile(path), WriteLimit, DurableCommits);
    Created.push_back(path);
    return file;
}

void FaultyFileSystem::CopyRemainder(InputFile& from, OutputFile& to) {
    FileSystem::CopyRemainder(from, to);
}

void FaultyFileSystem::DeleteFile(const File& file) {
    if (UndeletableFiles.contains(file.Path)) {
        Fail(EBUSY);
    }
    real_->DeleteFile(file);
}

void FaultyFileSystem::DeleteFolder(const Folder& folder) {
    real_->DeleteFolder(folder);
}

std::size_t FaultyFileSystem::MaxNameLength(const Folder& folder) {
    return real_->MaxNameLength(folder);
}

}  // namespace ostrel::test
