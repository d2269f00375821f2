// The file system services on POSIX systems, with POSIX calls only; what a
// system offers beyond them is in PosixExtensions.h.

#include "PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

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
    // Hands the descriptor over, unclosed.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
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

// A folder held open; it is closed when the last Folder that holds it goes.
class PosixFolder final : public FolderHandle {
public:
    explicit PosixFolder(int fd) : fd_(fd) {}
    int Fd() const { return fd_.Get(); }

private:
    Descriptor fd_;
};

int FdOf(const Folder& folder) {
    if (!folder.IsOpen()) {
        Fail(ENOENT);  // a folder only planned holds nothing
    }
    return static_cast<const PosixFolder&>(*folder.Handle).Fd();
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool OwnerMayWrite(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

std::int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& info, bool stable) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::uint64_t>(info.st_size),
                        Nanoseconds(info.st_mtim),
                        Nanoseconds(info.st_ctim),
                        stable};
}

FolderId IdOf(const struct stat& info) {
    return FolderId{static_cast<std::uint64_t>(info.st_dev),
                    static_cast<std::uint64_t>(info.st_ino)};
}

// Whether the file now is the one converted: by its numbers where the file
// system keeps them, else by its size here and its bytes after.
bool SameNumbers(const FileIdentity& now, const FileIdentity& converted) {
    if (converted.StableIdentity) {
        return now == converted;
    }
    return now.Device == converted.Device && now.Size == converted.Size;
}

Folder OpenedFolder(std::string path, std::string name, int fd, bool isLink) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(error);
    }
    return Folder{std::move(path), std::move(name), IdOf(info), isLink,
                  std::make_shared<PosixFolder>(fd)};
}

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

class Directory {
public:
    // A listing of its own for the open folder, which leaves the folder's
    // descriptor as it is.
    explicit Directory(int folder) {
        const int fd = ::openat(folder, ".", FolderFlags);
        if (fd < 0 || (handle_ = ::fdopendir(fd)) == nullptr) {
            const int error = errno;
            if (fd >= 0) {
                ::close(fd);
            }
            Fail(error);
        }
    }
    ~Directory() { ::closedir(handle_); }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

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
    DIR* handle_ = nullptr;
};

class PosixInputFile final : public InputFile {
public:
    // Opened without blocking, so that a FIFO or a device put in a picture's
    // place is refused at once instead of waited on. A regular file reads the
    // same with or without it.
    PosixInputFile(int fd, const FileIdentity& identity) : fd_(fd), identity_(identity) {}

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

// The hidden names of the last way of naming a file: the file written under
// ".ostrel-<digits>.part", and a note ".ostrel-<digits>.name" that holds the
// name it is to take.
constexpr std::string_view TemporaryPrefix = ".ostrel-";
constexpr std::string_view TemporarySuffix = ".part";
constexpr std::string_view NoteSuffix = ".name";

std::string NoteFor(const std::string& temporary) {
    return temporary.substr(0, temporary.size() - TemporarySuffix.size()) + std::string(NoteSuffix);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = Retrying([&] { return ::write(fd, bytes.data(), bytes.size()); });
        if (put < 0) {
            FailWithErrno();
        }
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
}

}  // namespace

class PosixOutputFile final : public OutputFile {
public:
    // `unnamed` is an unnamed file's descriptor, or -1 for a file under a
    // temporary name.
    PosixOutputFile(PosixFileSystem& owner, Folder folder, int unnamed, bool durable)
        : owner_(owner),
          folder_(std::move(folder)),
          dir_(FdOf(folder_)),
          durable_(durable),
          fd_(unnamed) {
        for (int attempt = 0; !fd_.IsOpen(); ++attempt) {
            temporary_ = TemporaryFileName();
            fd_.Reset(::openat(dir_, temporary_.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
            if (!fd_.IsOpen() && (errno != EEXIST || attempt > 100)) {
                temporary_.clear();
                FailWithErrno();
            }
        }
    }

    ~PosixOutputFile() override {
        fd_.Close();
        if (!published_ && !temporary_.empty()) {
            ::unlinkat(dir_, temporary_.c_str(), 0);
        }
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes) override { WriteAll(fd_.Get(), bytes); }

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
        if (fd_.IsOpen()) {
            if (durable_) {
                LeaveForFlush();
            }
            if (temporary_.empty()) {
                posix::LinkUnnamedFile(fd_.Get(), dir_, name, owner_.throughProc_);
                published_ = true;
                if (const int error = fd_.Close()) {
                    ::unlinkat(dir_, name.c_str(), 0);
                    Fail(error);
                }
                return;
            }
            if (const int error = fd_.Close()) {
                Fail(error);
            }
        }
        NameTemporary(name);
        published_ = true;
    }

    int Fd() const { return fd_.Get(); }

private:
    // A file system that one flush puts on the medium gets the data started
    // on its way now; elsewhere the file is flushed now, on its own.
    void LeaveForFlush() {
        auto& medium = owner_.MediumOf(folder_).Medium;
        if (medium.FlushedWhole) {
            posix::StartDurable(fd_.Get());
        } else if (::fsync(fd_.Get()) != 0) {
            FailWithErrno();
        }
        auto& unflushed = owner_.unflushed_;
        if (std::none_of(unflushed.begin(), unflushed.end(),
                         [&](const Folder& f) { return f.Handle == folder_.Handle; })) {
            unflushed.push_back(folder_);
        }
    }

    void NameTemporary(const std::string& name) {
        auto& state = owner_.MediumOf(folder_);
        if (state.Renames && owner_.features_.RenameWithoutReplace) {
            if (posix::RenameWithoutReplace(dir_, temporary_, name)) {
                return;
            }
            state.Renames = false;
        }
        if (state.HardLinks && owner_.features_.HardLinks) {
            if (::linkat(dir_, temporary_.c_str(), dir_, name.c_str(), 0) == 0) {
                ::unlinkat(dir_, temporary_.c_str(), 0);
                return;
            }
            if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK &&
                errno != EXDEV && errno != EACCES) {
                FailWithErrno();
            }
            state.HardLinks = false;
        }
        TakeNameWithPlaceholder(name);
    }

    // Takes the name with an empty file of our own, then moves the whole file
    // over it: a name someone else holds is never replaced. A note of the
    // name comes first and goes last, so that a run that finds it after a
    // crash in between knows the empty file for ours.
    void TakeNameWithPlaceholder(const std::string& name) {
        owner_.RecoverLeftovers(folder_);
        const std::string note = NoteFor(temporary_);
        {
            const Descriptor fd(::openat(dir_, note.c_str(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
            if (!fd.IsOpen()) {
                FailWithErrno();
            }
            WriteAll(fd.Get(),
                     std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
        }
        const auto dropNote = [&] { ::unlinkat(dir_, note.c_str(), 0); };
        const Descriptor placeholder(
            ::openat(dir_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (!placeholder.IsOpen()) {
            const int error = errno;
            dropNote();
            Fail(error);
        }
        try {
            owner_.MoveOverPlaceholder(dir_, temporary_, name);
        } catch (const FileSystemError&) {
            ::unlinkat(dir_, name.c_str(), 0);
            dropNote();
            throw;
        }
        dropNote();
    }

    PosixFileSystem& owner_;
    Folder folder_;  // held open while the file is written
    int dir_;
    bool durable_;
    Descriptor fd_;
    std::string temporary_;  // empty for an unnamed file
    bool published_ = false;
};

PosixFileSystem::MediumState& PosixFileSystem::MediumOf(int fd, const struct stat& info) {
    const auto device = static_cast<std::uint64_t>(info.st_dev);
    auto found = media_.find(device);
    if (found == media_.end()) {
        found = media_.emplace(device, MediumState{DescribeMedium(fd, info)}).first;
    }
    return found->second;
}

PosixFileSystem::MediumState& PosixFileSystem::MediumOf(const Folder& folder) {
    const auto found = media_.find(folder.Id.Device);
    if (found != media_.end()) {
        return found->second;
    }
    const int fd = FdOf(folder);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        FailWithErrno();
    }
    return MediumOf(fd, info);
}

posix::Medium PosixFileSystem::DescribeMedium(int fd, const struct stat& info) {
    return posix::MediumOf(fd, info);
}

void PosixFileSystem::MoveOverPlaceholder(int folder, const std::string& from,
                                          const std::string& to) {
    if (::renameat(folder, from.c_str(), folder, to.c_str()) != 0) {
        FailWithErrno();
    }
}

void PosixFileSystem::RecoverLeftovers(const Folder& folder) {
    if (!recovered_.insert(folder.Id).second) {
        return;
    }
    // Only notes a minute old: a younger one may be another run's, at work.
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const int dir = FdOf(folder);
    std::vector<std::string> notes;
    Directory listing(dir);
    while (const dirent* entry = listing.Next()) {
        const std::string_view name = entry->d_name;
        struct stat info {};
        if (name.starts_with(TemporaryPrefix) && name.ends_with(NoteSuffix) &&
            listing.Stat(entry->d_name, info, false) == 0 && S_ISREG(info.st_mode) &&
            info.st_mtime < now - 60) {
            notes.emplace_back(name);
        }
    }
    for (const std::string& note : notes) {
        std::string name(std::size_t{1} << 10, '\0');  // more than any name's bytes
        {
            const Descriptor fd(::openat(dir, note.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
            const ssize_t got = fd.IsOpen() ? ::read(fd.Get(), name.data(), name.size()) : -1;
            name.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        const std::string temporary =
            note.substr(0, note.size() - NoteSuffix.size()) + std::string(TemporarySuffix);
        struct stat info {};
        if (::fstatat(dir, temporary.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            // The whole file was never moved over the name, so an empty file
            // under it is the one we made to hold it. Anything else there is
            // someone else's, and stays.
            struct stat held {};
            if (!name.empty() && name.find('/') == std::string::npos &&
                ::fstatat(dir, name.c_str(), &held, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(held.st_mode) && held.st_size == 0) {
                ::unlinkat(dir, name.c_str(), 0);
            }
            ::unlinkat(dir, temporary.c_str(), 0);
        }
        ::unlinkat(dir, note.c_str(), 0);
    }
}

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
    std::string full = resolved;
    std::free(resolved);
    const int fd = ::open(full.c_str(), FolderFlags);
    if (fd < 0) {
        FailWithErrno();
    }
    std::string name = NameOf(full);
    return OpenedFolder(std::move(full), std::move(name), fd, false);
}

Folder PosixFileSystem::EnterFolder(const Folder& parent, const Folder& listed) {
    // A folder that was none is never followed as a link, which it may have
    // become since; a link is followed, and must lead where it did.
    const int fd =
        ::openat(FdOf(parent), listed.Name.c_str(), FolderFlags | (listed.IsLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR) {
            throw FileSystemError(ReplacedSinceListed);
        }
        FailWithErrno();
    }
    Folder entered = OpenedFolder(listed.Path, listed.Name, fd, listed.IsLink);
    const bool stable = MediumOf(entered).Medium.StableIdentity;
    if (stable ? entered.Id != listed.Id : entered.Id.Device != listed.Id.Device) {
        throw FileSystemError(ReplacedSinceListed);
    }
    return entered;
}

std::optional<Folder> PosixFileSystem::OpenFolder(const Folder& parent, const std::string& name) {
    if (!parent.IsOpen()) {
        return std::nullopt;
    }
    const int fd = ::openat(FdOf(parent), name.c_str(), FolderFlags);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        FailWithErrno();
    }
    return OpenedFolder(JoinPath(parent.Path, name), name, fd, false);
}

Folder PosixFileSystem::CreateFolder(const Folder& parent, const std::string& name) {
    const int dir = FdOf(parent);
    if (::mkdirat(dir, name.c_str(), 0777) != 0) {
        FailWithErrno();
    }
    const int fd = ::openat(dir, name.c_str(), FolderFlags | O_NOFOLLOW);
    if (fd < 0) {
        FailWithErrno();
    }
    return OpenedFolder(JoinPath(parent.Path, name), name, fd, false);
}

bool PosixFileSystem::FileExists(const Folder& folder, const std::string& name) {
    struct stat info {};
    return folder.IsOpen() &&
           ::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

FolderListing PosixFileSystem::ListFolder(const Folder& folder) {
    FolderListing listing;
    Directory directory(FdOf(folder));
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
            listing.Subfolders.push_back(
                Folder{std::move(path), std::move(name), IdOf(info), isLink, nullptr});
        } else {
            listing.Others.push_back(OtherEntry{std::move(path), std::move(name), NotARegularFile});
        }
    }
    return listing;
}

std::unique_ptr<InputFile> PosixFileSystem::OpenForReading(const Folder& folder, const File& file) {
    const int fd =
        ::openat(FdOf(folder), file.Name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        FailWithErrno();
    }
    Descriptor held(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        FailWithErrno();
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileSystemError(NotARegularFile);
    }
    const bool stable = MediumOf(fd, info).Medium.StableIdentity;
    return std::make_unique<PosixInputFile>(held.Release(), IdentityOf(info, stable));
}

std::unique_ptr<OutputFile> PosixFileSystem::CreateOutputFile(const Folder& folder, bool durable) {
    if (!unnamedLinkable_) {
        unnamedLinkable_ = posix::UnnamedFilesLinkable();
    }
    int unnamed = -1;
    if (*unnamedLinkable_) {
        unnamed = OpenUnnamed(FdOf(folder));
        // Where the file system has no unnamed files, the errors vary
        // (EOPNOTSUPP on FAT, EISDIR, EINVAL); anything else is a real failure.
        if (unnamed < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            FailWithErrno();
        }
    }
    return std::make_unique<PosixOutputFile>(*this, folder, unnamed, durable);
}

ssize_t PosixFileSystem::CopyRange(int from, int to, std::size_t length) {
    return posix::CopyFileRange(from, to, length);
}

int PosixFileSystem::OpenUnnamed(int folder) {
    return posix::OpenUnnamedFile(folder);
}

void PosixFileSystem::FlushFolder(const Folder& folder, std::set<std::uint64_t>& flushedWhole) {
    const int fd = FdOf(folder);
    if (!MediumOf(folder).Medium.FlushedWhole) {
        // Each file was flushed as it was published; now the names.
        if (::fsync(fd) != 0) {
            FailWithErrno();
        }
    } else if (flushedWhole.insert(folder.Id.Device).second) {
        // One flush of each file system puts every file of the batch and its
        // name on the disk at once, far faster than one flush a file (each of
        // which would also flush the disk's own cache).
        posix::FlushFileSystem(fd);
    }
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
    std::set<std::uint64_t> flushedWhole;
    const std::vector<Folder> folders = std::move(unflushed_);
    unflushed_.clear();
    bool everything = false;
    for (const Folder& folder : folders) {
        FlushFolder(folder, flushedWhole);
        everything = everything || MediumOf(folder).Medium.FlushEverything;
    }
    // What a FUSE program keeps writes into files of its own, which only a
    // flush of every file system reaches.
    if (everything) {
        ::sync();
    }
}

void PosixFileSystem::DeleteFile(const Folder& folder, const File& file,
                                 const DeletionCheck* check) {
    const int dir = FdOf(folder);
    const char* name = file.Name.c_str();
    // Refused by the permission bits alone, so that the answer is the same
    // for root as for anyone else.
    struct stat own {};
    if (::fstatat(dir, name, &own, AT_SYMLINK_NOFOLLOW) != 0) {
        FailWithErrno();
    }
    const bool link = S_ISLNK(own.st_mode);
    struct stat parent {};
    if ((!link && !OwnerMayWrite(own)) || ::fstat(dir, &parent) != 0 || !OwnerMayWrite(parent)) {
        Fail(EACCES);
    }
    if (check != nullptr) {
        struct stat now = own;
        if (link && ::fstatat(dir, name, &now, 0) != 0) {
            FailWithErrno();
        }
        const FileIdentity& converted = check->Converted;
        if (!S_ISREG(now.st_mode) ||
            !SameNumbers(IdentityOf(now, converted.StableIdentity), converted)) {
            throw FileSystemError(ChangedSinceRead);
        }
        if (!converted.StableIdentity) {
            const auto in = OpenForReading(folder, file);
            if (!check->SameBytes || !check->SameBytes(*in)) {
                throw FileSystemError(ChangedSinceRead);
            }
        }
    }
    if (::unlinkat(dir, name, 0) != 0) {
        FailWithErrno();
    }
}

void PosixFileSystem::DeleteFolder(const Folder& parent, const Folder& folder) {
    const int dir = FdOf(parent);
    struct stat own {};
    if (::fstatat(dir, folder.Name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) {
        FailWithErrno();
    }
    const bool stable = MediumOf(parent).Medium.StableIdentity;
    if (!S_ISDIR(own.st_mode) ||
        (stable ? IdOf(own) != folder.Id : IdOf(own).Device != folder.Id.Device)) {
        throw FileSystemError(ReplacedSinceListed);
    }
    struct stat above {};
    if (!OwnerMayWrite(own) || ::fstat(dir, &above) != 0 || !OwnerMayWrite(above)) {
        Fail(EACCES);
    }
    if (::unlinkat(dir, folder.Name.c_str(), AT_REMOVEDIR) != 0) {
        FailWithErrno();
    }
}

std::size_t PosixFileSystem::MaxNameLength(const Folder& folder) {
    return folder.IsOpen() ? MediumOf(folder).Medium.MaxName : 255;
}

bool PosixFileSystem::IsFileSystemTop(const Folder& folder) {
    // Its parent lies on another device, or it is its own parent ("/").
    if (!folder.IsOpen()) {
        return false;  // only planned
    }
    struct stat own {
    }, parent{};
    const int fd = FdOf(folder);
    return ::fstat(fd, &own) == 0 && ::fstatat(fd, "..", &parent, 0) == 0 &&
           (own.st_dev != parent.st_dev || own.st_ino == parent.st_ino);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace ostrel
