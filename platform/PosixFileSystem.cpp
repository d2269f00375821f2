// The file system services on POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "PosixFileSystem.h"

namespace ostrel {
namespace {

[[noreturn]] void Fail(int code) {
    throw FileSystemError(std::generic_category().message(code), code);
}

[[noreturn]] void FailWithErrno() {
    Fail(errno);
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) {
        Fail(error.value());
    }
    std::string text = full.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool OwnerMayWrite(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
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

enum class Kind { File, Folder, Other };

Kind KindOf(const dirent& entry, const std::string& path) {
    switch (entry.d_type) {
        case DT_REG:
            return Kind::File;
        case DT_DIR:
            return Kind::Folder;
        case DT_LNK:
        case DT_UNKNOWN: {
            struct stat info {};
            if (::stat(path.c_str(), &info) != 0) {
                return Kind::Other;  // a dangling link
            }
            return S_ISREG(info.st_mode)   ? Kind::File
                   : S_ISDIR(info.st_mode) ? Kind::Folder
                                           : Kind::Other;
        }
        default:
            return Kind::Other;
    }
}

class PosixInputFile final : public InputFile {
public:
    explicit PosixInputFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {
        if (fd_ < 0) {
            FailWithErrno();
        }
    }
    ~PosixInputFile() override { ::close(fd_); }
    PosixInputFile(const PosixInputFile&) = delete;
    PosixInputFile& operator=(const PosixInputFile&) = delete;

    std::uint64_t Size() override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            FailWithErrno();
        }
        return static_cast<std::uint64_t>(info.st_size);
    }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                FailWithErrno();
            }
        }
    }

    int Descriptor() const { return fd_; }

private:
    int fd_;
};

class PosixOutputFile final : public OutputFile {
public:
    explicit PosixOutputFile(std::string path)
        : path_(std::move(path)),
          fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666)) {
        if (fd_ < 0) {
            FailWithErrno();
        }
    }
    ~PosixOutputFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                FailWithErrno();
            }
            bytes = bytes.subspan(static_cast<std::size_t>(put));
        }
    }

    void Commit(bool durable) override {
        if (durable && ::fsync(fd_) != 0) {
            FailWithErrno();
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            const int code = errno;
            ::unlink(path_.c_str());
            Fail(code);
        }
    }

    int Descriptor() const { return fd_; }

private:
    std::string path_;
    int fd_;
};

// The full paths and names of the entries of one kind directly in a folder,
// in the order the system lists them.
std::vector<std::pair<std::string, std::string>> EntriesOf(const FileSystem& fs,
                                                           const std::string& folder, Kind kind) {
    std::vector<std::pair<std::string, std::string>> entries;
    Directory directory(folder);
    while (const dirent* entry = directory.Next()) {
        std::string path = fs.JoinPath(folder, entry->d_name);
        if (KindOf(*entry, path) == kind) {
            entries.emplace_back(std::move(path), entry->d_name);
        }
    }
    return entries;
}

Folder MakeFolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        FailWithErrno();
    }
    if (!S_ISDIR(info.st_mode)) {
        Fail(ENOTDIR);
    }
    struct stat own {};
    const bool isLink = ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
    return Folder{
        path, NameOf(path),
        FolderId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
        isLink};
}

}  // namespace

bool PosixFileSystem::FolderExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Folder PosixFileSystem::GetFolder(const std::string& path) {
    if (path.empty()) {
        Fail(ENOENT);
    }
    const std::string full = FullPath(path);
    return MakeFolder(full);
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

std::vector<File> PosixFileSystem::Files(const Folder& folder) {
    std::vector<File> files;
    for (auto& [path, name] : EntriesOf(*this, folder.Path, Kind::File)) {
        files.push_back(File{std::move(path), std::move(name)});
    }
    return files;
}

std::vector<Folder> PosixFileSystem::Subfolders(const Folder& folder) {
    std::vector<Folder> folders;
    for (const auto& entry : EntriesOf(*this, folder.Path, Kind::Folder)) {
        folders.push_back(MakeFolder(entry.first));
    }
    return folders;
}

std::unique_ptr<InputFile> PosixFileSystem::OpenForReading(const File& file) {
    return std::make_unique<PosixInputFile>(file.Path);
}

std::unique_ptr<OutputFile> PosixFileSystem::CreateNewFile(const std::string& path) {
    return std::make_unique<PosixOutputFile>(path);
}

void PosixFileSystem::CopyRemainder(InputFile& from, OutputFile& to) {
    auto* in = dynamic_cast<PosixInputFile*>(&from);
    auto* out = dynamic_cast<PosixOutputFile*>(&to);
    if (in == nullptr || out == nullptr) {
        FileSystem::CopyRemainder(from, to);
        return;
    }
#ifdef __linux__
    // Let the kernel move the bytes; fall back to reading and writing
    // where the file systems cannot do that.
    for (;;) {
        const ssize_t moved = ::copy_file_range(in->Descriptor(), nullptr, out->Descriptor(),
                                                nullptr, std::size_t{1} << 30, 0);
        if (moved == 0) {
            return;
        }
        if (moved < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
                break;
            }
            FailWithErrno();
        }
    }
#endif
    FileSystem::CopyRemainder(from, to);
}

void PosixFileSystem::DeleteFile(const File& file) {
    RequireWritable(file.Path);
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
    errno = 0;
    const long length = ::pathconf(folder.Path.c_str(), _PC_NAME_MAX);
    return length > 0 ? static_cast<std::size_t>(length) : 255;
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace ostrel
