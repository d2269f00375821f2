#include "Doubles.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace ostrel::test {

Answer RecordingUser::ShowMessage(const std::string& prompt, const std::string& title,
                                  MessageKind kind) {
    Messages.push_back({prompt, title, kind});
    Calls.push_back("message:" + title);
    if (OnMessage) {
        OnMessage();
    }
    return kind == MessageKind::Question ? QuestionAnswer : Answer::Ok;
}

std::vector<std::string> RecordingUser::Prompts() const {
    std::vector<std::string> prompts;
    for (const auto& message : Messages) {
        prompts.push_back(message.Prompt);
    }
    return prompts;
}

std::vector<std::string> RecordingUser::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> calls;
    for (const auto& call : Calls) {
        if (call.rfind(prefix, 0) == 0) {
            calls.push_back(call);
        }
    }
    return calls;
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
        if (left_ >= 0 && static_cast<std::int64_t>(bytes.size()) > left_) {
            real_->Write(bytes.first(static_cast<std::size_t>(left_)));
            Fail(ENOSPC);
        }
        left_ -= left_ >= 0 ? static_cast<std::int64_t>(bytes.size()) : 0;
        real_->Write(bytes);
    }
    void Commit(bool durable) override {
        real_->Commit(durable);
        durableCommits_ += durable ? 1 : 0;
    }

private:
    std::unique_ptr<OutputFile> real_;
    std::int64_t left_;
    int& durableCommits_;
};

}  // namespace

bool FaultyFileSystem::FileExists(const std::string& path) {
    ++FileExistsCalls;
    return PosixFileSystem::FileExists(path);
}

std::vector<File> FaultyFileSystem::Files(const Folder& folder) {
    if (UnlistableFolders.contains(folder.Path)) {
        Fail(EACCES);
    }
    return PosixFileSystem::Files(folder);
}

std::vector<Folder> FaultyFileSystem::Subfolders(const Folder& folder) {
    if (UnlistableFolders.contains(folder.Path)) {
        Fail(EACCES);
    }
    return PosixFileSystem::Subfolders(folder);
}

std::unique_ptr<OutputFile> FaultyFileSystem::CreateNewFile(const std::string& path) {
    if (RacedFiles.erase(path) > 0) {
        std::ofstream(path) << "someone else's";
    }
    return std::make_unique<LimitedOutput>(PosixFileSystem::CreateNewFile(path), WriteLimit,
                                           DurableCommits);
}

}  // namespace ostrel::test
