// The file system services on POSIX systems, with POSIX calls only; what a
// system offers beyond them is in PosixExtensions.h.

#include "PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "PosixExtensions.h"

namespace ostrel {

void posix::Fail(int code) {
    throw FileSystemError(std::generic_category().message(code), code);
}

void posix::FailWithErrno() {
    Fail(errno);
}

namespace {

using posix::Fail;
using posix::FailWithErrno;

// Retries a call that a signal interrupted.
template <typename Call>
auto Retrying(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // Closes it once; returns 0 or the error of the close.
    int Close() {
        if (fd_ < 0) {
            return 0;
        }
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool OwnerMayWrite(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::uint64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// Refuses to change an entry that is read-only, or that lies in a read-only
// folder, by the permission bits alone, so that the answer is the same for
// root as for anyone else.
void RequireWritable(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        FailWithErrno();
    }
    if (!S_ISLNK(info.st_mode) && !OwnerMayWrite(info)) {
        Fail(EACCES);
    }
    struct stat parent {};
    if (::stat(ParentOf(path).c_str(), &parent) != 0) {
        FailWithErrno();
    }
    if (!OwnerMayWrite(parent)) {
        Fail(EACCES);
    }
}

class Directory {
public:
    explicit Directory(const std::string& path) : handle_(::opendir(path.c_str())) {
        if (handle_ == nullptr) {
            FailWithErrno();
        }
    }
    ~Directory() { ::closedir(handle_); }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Looks at an entry through the open folder, which works whatever the
    // length of the folder's path.
    int Stat(const char* name, struct stat& info, bool followLinks) const {
        return ::fstatat(::dirfd(handle_), name, &info, followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
    }

    // The next entry other than "." and "..", or nullptr at the end.
    const dirent* Next() {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(handle_);
            if (entry == nullptr) {
                if (errno != 0) {
                    FailWithErrno();
                }
                return nullptr;
            }
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                return entry;
            }
        }
    }

private:
    DIR* handle_;
};

Folder MakeFolder(const std::string& path, const struct stat& info, bool isLink) {
    return Folder{
        path, NameOf(path),
        FolderId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
        isLink};
}

class PosixInputFile final : public InputFile {
public:
    // Opened without blocking, so that a FIFO or a device put in a picture's
    // place is refused at once instead of waited on.
    explicit PosixInputFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
        if (!fd_.IsOpen()) {
            FailWithErrno();
        }
        struct stat info {};
        if (::fstat(fd_.Get(), &info) != 0) {
            FailWithErrno();
        }
        if (!S_ISREG(info.st_mode)) {
            throw FileSystemError(NotARegularFile);
        }
        identity_ = IdentityOf(info);
        ::fcntl(fd_.Get(), F_SETFL, ::fcntl(fd_.Get(), F_GETFL) & ~O_NONBLOCK);
    }

    FileIdentity Identity() override { return identity_; }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        const ssize_t got =
            Retrying([&] { return ::read(fd_.Get(), buffer.data(), buffer.size()); });
        if (got < 0) {
            FailWithErrno();
        }
        return static_cast<std::size_t>(got);
    }

    int Fd() const { return fd_.Get(); }

private:
    Descriptor fd_;
    FileIdentity identity_;
};

class PosixOutputFile final : public OutputFile {
public:
    // `unnamed` is an unnamed file's descriptor, or -1 for a file under a
    // temporary name. With `unflushed`, the folder is noted there for
    // MakeDurable once the file is published.
    PosixOutputFile(std::string folder, int unnamed, std::set<std::string>* unflushed,
                    PosixFileSystem::Features features)
        : folder_(std::move(folder)),
          unflushed_(unflushed),
          renameWithoutReplace_(features.RenameWithoutReplace),
          fd_(unnamed) {
        for (int attempt = 0; !fd_.IsOpen(); ++attempt) {
            temporary_ = folder_ + "/" + TemporaryFileName();
            fd_.Reset(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                             0666));
            if (!fd_.IsOpen() && (errno != EEXIST || attempt > 100)) {
                temporary_.clear();
                FailWithErrno();
            }
        }
    }

    ~PosixOutputFile() override {
        fd_.Close();
        if (!published_ && !temporary_.empty()) {
            ::unlink(temporary_.c_str());
        }
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t put =
                Retrying([&] { return ::write(fd_.Get(), bytes.data(), bytes.size()); });
            if (put < 0) {
                FailWithErrno();
            }
            bytes = bytes.subspan(static_cast<std::size_t>(put));
        }
    }

    void SetTimes(std::chrono::system_clock::time_point time) override {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
        const struct timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                          {static_cast<time_t>(seconds), 0}};
        if (::futimens(fd_.Get(), times) != 0) {
            FailWithErrno();
        }
    }

    void Publish(const std::string& name) override {
        const std::string path = folder_ + "/" + name;
        if (fd_.IsOpen()) {
            if (unflushed_ != nullptr) {
                LeaveForFlush();
            }
            if (temporary_.empty()) {
                posix::LinkUnnamedFile(fd_.Get(), path);
                published_ = true;
                if (const int error = fd_.Close()) {
                    ::unlink(path.c_str());
                    Fail(error);
                }
                return;
            }
            if (const int error = fd_.Close()) {
                Fail(error);
            }
        }
        RenameTemporary(path);
        published_ = true;
    }

    int Fd() const { return fd_.Get(); }

private:
    // Starts the data on its way to the disk now, so that MakeDurable mostly
    // finds it there.
    void LeaveForFlush() {
        posix::StartDurable(fd_.Get());
        unflushed_->insert(folder_);
    }

    void RenameTemporary(const std::string& path) {
        if (renameWithoutReplace_) {
            if (posix::RenameWithoutReplace(temporary_, path)) {
                return;
            }
            renameWithoutReplace_ = false;
        }
        // Take the name with an empty file of our own, then move the whole
        // file over it: a name someone else holds is never replaced.
        Descriptor placeholder(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (!placeholder.IsOpen()) {
            FailWithErrno();
        }
        placeholder.Close();
        if (::rename(temporary_.c_str(), path.c_str()) != 0) {
            const int error = errno;
            ::unlink(path.c_str());
            Fail(error);
        }
    }

    std::string folder_;
    std::set<std::string>* unflushed_;
    bool renameWithoutReplace_;
    Descriptor fd_;
    std::string temporary_;  // empty for an unnamed file
    bool published_ = false;
};

}  // namespace

bool PosixFileSystem::FolderExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Folder PosixFileSystem::GetFolder(const std::string& path) {
    if (path.empty()) {
        Fail(ENOENT);
    }
    // The system resolves links and "..": "link/.." is the parent of the
    // link's target, not the folder that holds the link.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        FailWithErrno();
    }
    const std::string full = resolved;
    std::free(resolved);
    struct stat info {};
    if (::stat(full.c_str(), &info) != 0) {
        FailWithErrno();
    }
    if (!S_ISDIR(info.st_mode)) {
        Fail(ENOTDIR);
    }
    return MakeFolder(full, info, false);
}

void PosixFileSystem::CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        FailWithErrno();
    }
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

FolderListing PosixFileSystem::ListFolder(const Folder& folder) {
    FolderListing listing;
    Directory directory(folder.Path);
    while (const dirent* entry = directory.Next()) {
        std::string path = JoinPath(folder.Path, entry->d_name);
        std::string name = entry->d_name;
        if (entry->d_type == DT_REG) {
            listing.Files.push_back(File{std::move(path), std::move(name)});
            continue;
        }
        struct stat info {};
        if (directory.Stat(entry->d_name, info, true) != 0) {
            // A link that leads nowhere, or an entry gone since the listing.
            const std::string description = std::generic_category().message(errno);
            listing.Others.push_back(OtherEntry{std::move(path), std::move(name), description});
        } else if (S_ISREG(info.st_mode)) {
            listing.Files.push_back(File{std::move(path), std::move(name)});
        } else if (S_ISDIR(info.st_mode)) {
            struct stat own {};
            const bool isLink =
                entry->d_type == DT_LNK ||
                (entry->d_type == DT_UNKNOWN && directory.Stat(entry->d_name, own, false) == 0 &&
                 S_ISLNK(own.st_mode));
            listing.Subfolders.push_back(MakeFolder(path, info, isLink));
        } else {
            listing.Others.push_back(OtherEntry{std::move(path), std::move(name), NotARegularFile});
        }
    }
    return listing;
}

std::unique_ptr<InputFile> PosixFileSystem::OpenForReading(const File& file) {
    return std::make_unique<PosixInputFile>(file.Path);
}

std::unique_ptr<OutputFile> PosixFileSystem::CreateOutputFile(const Folder& folder, bool durable) {
    const int unnamed = OpenUnnamed(folder.Path);
    // Where the file system has no unnamed files, the errors vary (EOPNOTSUPP
    // on FAT, EISDIR, EINVAL); anything else is a real failure.
    if (unnamed < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        FailWithErrno();
    }
    return std::make_unique<PosixOutputFile>(folder.Path, unnamed, durable ? &unflushed_ : nullptr,
                                             features_);
}

ssize_t PosixFileSystem::CopyRange(int from, int to, std::size_t length) {
    return posix::CopyFileRange(from, to, length);
}

int PosixFileSystem::OpenUnnamed(const std::string& folder) {
    return posix::OpenUnnamedFile(folder);
}

void PosixFileSystem::FlushFolder(const std::string& folder, std::set<std::uint64_t>& devices) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        FailWithErrno();
    }
    posix::FinishDurable(fd.Get(), devices);
}

std::uint64_t PosixFileSystem::CopyRemainder(InputFile& from, OutputFile& to) {
    auto* in = dynamic_cast<PosixInputFile*>(&from);
    auto* out = dynamic_cast<PosixOutputFile*>(&to);
    if (in == nullptr || out == nullptr) {
        return FileSystem::CopyRemainder(from, to);
    }
    // Let the kernel move the bytes; read and write where the file systems
    // cannot do that (across file systems, for instance).
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t moved =
            Retrying([&] { return CopyRange(in->Fd(), out->Fd(), std::size_t{1} << 30); });
        if (moved == 0) {
            return copied;
        }
        if (moved > 0) {
            copied += static_cast<std::uint64_t>(moved);
            continue;
        }
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
            return copied + FileSystem::CopyRemainder(from, to);
        }
        FailWithErrno();
    }
}

void PosixFileSystem::MakeDurable() {
    std::set<std::uint64_t> devices;
    const std::set<std::string> folders = std::move(unflushed_);
    unflushed_.clear();
    for (const std::string& folder : folders) {
        FlushFolder(folder, devices);
    }
}

void PosixFileSystem::DeleteFile(const File& file, const std::optional<FileIdentity>& expected) {
    RequireWritable(file.Path);
    if (expected) {
        struct stat info {};
        if (::stat(file.Path.c_str(), &info) != 0) {
            FailWithErrno();
        }
        if (IdentityOf(info) != *expected) {
            throw FileSystemError(ChangedSinceRead);
        }
    }
    if (::unlink(file.Path.c_str()) != 0) {
        FailWithErrno();
    }
}

void PosixFileSystem::DeleteFolder(const Folder& folder) {
    RequireWritable(folder.Path);
    if (::rmdir(folder.Path.c_str()) != 0) {
        FailWithErrno();
    }
}

std::size_t PosixFileSystem::MaxNameLength(const Folder& folder) {
    // Asked once for a run of pictures into the same folder.
    if (folder.Path != maxNameFolder_) {
        errno = 0;
        const long length = ::pathconf(folder.Path.c_str(), _PC_NAME_MAX);
        maxName_ = length > 0 ? static_cast<std::size_t>(length) : 255;
        maxNameFolder_ = folder.Path;
    }
    return maxName_;
}

bool PosixFileSystem::IsFileSystemTop(const Folder& folder) {
    // Its parent lies on another device, or it is its own parent ("/").
    struct stat own {
    }, parent{};
    return ::stat(folder.Path.c_str(), &own) == 0 &&
           ::stat(JoinPath(folder.Path, "..").c_str(), &parent) == 0 &&
           (own.st_dev != parent.st_dev || own.st_ino == parent.st_ino);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace ostrel
