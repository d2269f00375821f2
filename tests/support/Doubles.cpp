#include "Doubles.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace ostrel::test {

namespace {

// Passes writes through until the limit, then fails as a full disk does.
class FaultyOutput : public OutputFile {
public:
    FaultyOutput(std::unique_ptr<OutputFile> real, std::int64_t limit)
        : real_(std::move(real)), left_(limit) {}
    void Write(std::span<const std::uint8_t> bytes) override {
        if (static_cast<std::int64_t>(bytes.size()) > left_) {
            real_->Write(bytes.first(static_cast<std::size_t>(left_)));
            throw FileSystemError(std::generic_category().message(ENOSPC), ENOSPC);
        }
        left_ -= static_cast<std::int64_t>(bytes.size());
        real_->Write(bytes);
    }
    void SetTimes(std::chrono::system_clock::time_point time) override { real_->SetTimes(time); }
    void Publish(const std::string& name) override { real_->Publish(name); }

private:
    std::unique_ptr<OutputFile> real_;
    std::int64_t left_;
};

}  // namespace

Folder FaultyFileSystem::EnterFolder(const Folder& parent, const Folder& listed) {
    if (BeforeEntering) {
        BeforeEntering(listed);
    }
    return SystemFileSystem::EnterFolder(parent, listed);
}

bool FaultyFileSystem::IsFileSystemTop(const Folder& folder) {
    return (FileSystemTop && FileSystemTop(folder)) || SystemFileSystem::IsFileSystemTop(folder);
}

bool FaultyFileSystem::FileExists(const Folder& folder, const std::string& name) {
    const std::string path = JoinPath(folder.Path, name);
    const bool exists = (Taken && Taken(path)) || SystemFileSystem::FileExists(folder, name);
    if (RacedFiles.erase(path) > 0) {
        std::ofstream(path) << "someone else's";
    }
    return exists;
}

FolderListing FaultyFileSystem::ListFolder(const Folder& folder) {
    if (BeforeListing) {
        BeforeListing(folder);
    }
    return SystemFileSystem::ListFolder(folder);
}

std::unique_ptr<InputFile> FaultyFileSystem::OpenForReading(const Folder& folder,
                                                            const File& file) {
    auto in = SystemFileSystem::OpenForReading(folder, file);
    if (AfterOpening) {
        AfterOpening(file);
    }
    return in;
}

std::unique_ptr<OutputFile> FaultyFileSystem::CreateOutputFile(const Folder& folder, bool durable) {
    auto real = SystemFileSystem::CreateOutputFile(folder, durable);
    if (WriteLimit < 0) {
        return real;  // as it is, so that the kernel's copy is used
    }
    return std::make_unique<FaultyOutput>(std::move(real), WriteLimit);
}

#ifndef _WIN32
ssize_t FaultyFileSystem::CopyRange(int from, int to, std::size_t length) {
    if (BeforeCopyCall) {
        BeforeCopyCall();
    }
    if (Copying == Copy::CrossDevice) {
        errno = EXDEV;
        return -1;
    }
    const bool shortCalls = Copying == Copy::ShortCalls;
    return SystemFileSystem::CopyRange(from, to,
                                       shortCalls ? std::min<std::size_t>(length, 4096) : length);
}

int FaultyFileSystem::OpenUnnamed(int folder) {
    if (RefuseUnnamed) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return SystemFileSystem::OpenUnnamed(folder);
}

void FaultyFileSystem::FlushFolder(const Folder& folder, std::set<std::uint64_t>& flushedWhole) {
    Flushed.push_back(folder.Path);
    SystemFileSystem::FlushFolder(folder, flushedWhole);
}

posix::Medium FaultyFileSystem::DescribeMedium(int fd, const struct stat& info) {
    posix::Medium medium = SystemFileSystem::DescribeMedium(fd, info);
    if (Unnumbered) {
        medium.StableIdentity = false;
        medium.FlushedWhole = false;
    }
    return medium;
}

void FaultyFileSystem::MoveOverPlaceholder(int folder, const std::string& from,
                                           const std::string& to) {
    if (BeforeMovingOverPlaceholder) {
        BeforeMovingOverPlaceholder();
    }
    SystemFileSystem::MoveOverPlaceholder(folder, from, to);
}
#else
WindowsMedium FaultyFileSystem::DescribeMedium(void* handle) {
    WindowsMedium medium = SystemFileSystem::DescribeMedium(handle);
    medium.StableIdentity = medium.StableIdentity && !Unnumbered && !Network;
    medium.Remote = medium.Remote || Network;
    return medium;
}

unsigned long FaultyFileSystem::FlushFolder(const Folder& folder) {
    Flushed.push_back(folder.Path);
    return FolderFlushError != 0 ? FolderFlushError : SystemFileSystem::FlushFolder(folder);
}
#endif

void FaultyFileSystem::MakeDurable() {
    Log.push_back("durable");
    if (FlushFailure != 0) {
        throw FileSystemError(std::generic_category().message(FlushFailure), FlushFailure);
    }
    SystemFileSystem::MakeDurable();
}

void FaultyFileSystem::DeleteFile(const Folder& folder, const File& file,
                                  const DeletionCheck* check) {
    Log.push_back("delete:" + file.Path);
    if (BeforeDeleting) {
        BeforeDeleting(file);
    }
    SystemFileSystem::DeleteFile(folder, file, check);
}

void FaultyFileSystem::DeleteFolder(const Folder& parent, const Folder& folder) {
    if (BeforeRemoving) {
        BeforeRemoving(folder);
    }
    SystemFileSystem::DeleteFolder(parent, folder);
}

}  // namespace ostrel::test
