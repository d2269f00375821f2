// The file system services on Windows.

#include "WindowsFileSystem.h"

#include <windows.h>
#undef DeleteFile  // the service's own member of that name

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "Utf16.h"

namespace ostrel {
namespace {

constexpr const char* NameWindowsRefuses = "Windows cannot reach a file or folder of this name";

// The errno-style code that callers test, where there is one.
int ErrnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        default:
            return 0;
    }
}

[[noreturn]] void Fail(DWORD code) {
    throw FileSystemError(SystemErrorText(code), ErrnoOf(code));
}

[[noreturn]] void FailWithLastError() {
    Fail(::GetLastError());
}

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    // Closes it once; returns 0 or the error of the close.
    DWORD Close() {
        if (!IsOpen()) {
            return 0;
        }
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) ? 0 : ::GetLastError();
    }

private:
    HANDLE handle_;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The path as the system takes it whatever its length: full, with backslashes,
// "." and ".." resolved, and "\\?\" (or "\\?\UNC\" for a share) in front.
std::wstring SystemPath(const std::string& path) {
    const std::wstring wide = Utf16(path);
    if (StartsWith(wide, L"\\\\?\\")) {
        return wide;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            Fail(wide.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError());
        }
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    if (StartsWith(full, L"\\\\.\\")) {
        return full;  // a device, which no folder or file of ours is
    }
    if (StartsWith(full, L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// The path as the user knows it, without the "\\?\" form.
std::string UserPath(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\UNC\\")) {
        return Utf8(L"\\\\" + path.substr(8));
    }
    if (StartsWith(path, L"\\\\?\\")) {
        return Utf8(path.substr(4));
    }
    return Utf8(path);
}

std::wstring Child(const std::wstring& folder, const std::wstring& name) {
    return folder.ends_with(L'\\') ? folder + name : folder + L'\\' + name;
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A folder (or any entry) opened for its path and identity, shared with
// everyone, following links as any program's opening does.
HANDLE OpenFolder(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The path by which the system reaches an open folder, with links and ".."
// resolved and each name in its own case; nothing where the system cannot
// tell (Wine, beyond 260 characters).
std::optional<std::wstring> FinalPath(HANDLE handle) {
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(
            handle, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < final.size()) {
            final.resize(length);
            return final;
        }
        final.resize(length);
    }
}

BY_HANDLE_FILE_INFORMATION InformationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        FailWithLastError();
    }
    return info;
}

std::uint64_t Join(DWORD high, DWORD low) {
    return (std::uint64_t{high} << 32) | low;
}

FolderId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FolderId{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    // File times count 100 ns from 1601; only differences matter here.
    const auto modified = static_cast<std::int64_t>(
        Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return FileIdentity{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow),
                        Join(info.nFileSizeHigh, info.nFileSizeLow), modified * 100};
}

// The identity of the file at `path`, following a link as opening it does.
BY_HANDLE_FILE_INFORMATION InformationAt(const std::wstring& path) {
    const Handle handle(OpenFolder(path, FILE_READ_ATTRIBUTES));
    if (!handle.IsOpen()) {
        FailWithLastError();
    }
    return InformationOf(handle.Get());
}

class WindowsInputFile final : public InputFile {
public:
    // Others may read the picture meanwhile, but not change it.
    explicit WindowsInputFile(const std::wstring& path)
        : handle_(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
        if (!handle_.IsOpen()) {
            FailWithLastError();
        }
        const BY_HANDLE_FILE_INFORMATION info = InformationOf(handle_.Get());
        if (::GetFileType(handle_.Get()) != FILE_TYPE_DISK ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw FileSystemError(NotARegularFile);
        }
        identity_ = IdentityOf(info);
    }

    FileIdentity Identity() override { return identity_; }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1U << 30));
        if (!::ReadFile(handle_.Get(), buffer.data(), wanted, &got, nullptr)) {
            FailWithLastError();
        }
        return got;
    }

private:
    Handle handle_;
    FileIdentity identity_;
};

// The file is written under a temporary name and moved to its own only when
// whole; moving never replaces a file. The handle stays open until then, so
// that whatever must be set on the file is set before it has its name.
class WindowsOutputFile final : public OutputFile {
public:
    WindowsOutputFile(std::wstring folder, std::size_t maxName, std::set<std::wstring>* unflushed)
        : folder_(std::move(folder)), maxName_(maxName), unflushed_(unflushed) {
        for (int attempt = 0; !handle_.IsOpen(); ++attempt) {
            temporary_ = Child(folder_, Utf16(TemporaryFileName()));
            handle_.Reset(::CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!handle_.IsOpen()) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_FILE_EXISTS || attempt > 100) {
                    temporary_.clear();
                    Fail(error);
                }
            }
        }
    }

    ~WindowsOutputFile() override {
        handle_.Close();
        if (!published_ && !temporary_.empty()) {
            ::DeleteFileW(temporary_.c_str());
        }
    }
    WindowsOutputFile(const WindowsOutputFile&) = delete;
    WindowsOutputFile& operator=(const WindowsOutputFile&) = delete;

    void Write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            DWORD put = 0;
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
            if (!::WriteFile(handle_.Get(), bytes.data(), size, &put, nullptr)) {
                FailWithLastError();
            }
            bytes = bytes.subspan(put);
        }
    }

    void SetTimes(std::chrono::system_clock::time_point time) override {
        // FILETIME counts 100 ns steps from 1601-01-01.
        constexpr std::int64_t From1601 = 11'644'473'600;
        const std::int64_t seconds =
            std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
        const auto ticks = static_cast<std::uint64_t>((seconds + From1601) * 10'000'000);
        const FILETIME when{static_cast<DWORD>(ticks & 0xFFFFFFFFu),
                            static_cast<DWORD>(ticks >> 32)};
        if (!::SetFileTime(handle_.Get(), nullptr, &when, &when)) {
            FailWithLastError();
        }
    }

    void Publish(const std::string& name) override {
        const std::wstring wideName = Utf16(name);
        if (wideName.size() > maxName_) {
            Fail(ERROR_FILENAME_EXCED_RANGE);
        }
        if (handle_.IsOpen()) {
            // The data on the disk now; MakeDurable adds the name before any
            // source is deleted.
            if (unflushed_ != nullptr && !::FlushFileBuffers(handle_.Get())) {
                FailWithLastError();
            }
            if (const DWORD error = handle_.Close()) {
                Fail(error);
            }
        }
        if (!::MoveFileExW(temporary_.c_str(), Child(folder_, wideName).c_str(), 0)) {
            FailWithLastError();
        }
        published_ = true;
        if (unflushed_ != nullptr) {
            unflushed_->insert(folder_);
        }
    }

private:
    std::wstring folder_;
    std::size_t maxName_;
    std::set<std::wstring>* unflushed_;  // where a durable file's folder is noted
    Handle handle_;
    std::wstring temporary_;
    bool published_ = false;
};

bool IsReservedStem(std::wstring stem) {
    // "CON .txt" is CON too: blanks before the extension do not count.
    while (!stem.empty() && stem.back() == L' ') {
        stem.pop_back();
    }
    for (wchar_t& c : stem) {
        c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (stem == device) {
            return true;
        }
    }
    // COM1-COM9 and LPT1-LPT9, and the superscript digits Windows also takes.
    if (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT"))) {
        const wchar_t digit = stem[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
}

}  // namespace

std::string SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    // Reports put their own full stop after the description.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "Error " + std::to_string(code);
    }
    return Utf8(text);
}

bool WindowsFileSystem::FolderExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    try {
        const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } catch (const FileSystemError&) {
        return false;
    }
}

Folder WindowsFileSystem::GetFolder(const std::string& path) {
    if (path.empty()) {
        Fail(ERROR_PATH_NOT_FOUND);
    }
    const std::wstring system = SystemPath(path);
    const Handle handle(OpenFolder(system, FILE_READ_ATTRIBUTES));
    if (!handle.IsOpen()) {
        FailWithLastError();
    }
    const BY_HANDLE_FILE_INFORMATION info = InformationOf(handle.Get());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        Fail(ERROR_DIRECTORY);
    }
    std::string full = UserPath(FinalPath(handle.Get()).value_or(system));
    // A drive root keeps its backslash ("C:\"); any other folder has none.
    if (full.size() > 3 && full.back() == '\\') {
        full.pop_back();
    }
    return Folder{full, NameOf(full.size() == 3 ? std::string() : full), IdOf(info), false};
}

void WindowsFileSystem::CreateFolder(const std::string& path) {
    if (!::CreateDirectoryW(SystemPath(path).c_str(), nullptr)) {
        FailWithLastError();
    }
}

bool WindowsFileSystem::FileExists(const std::string& path) {
    try {
        return ::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (const FileSystemError&) {
        return false;
    }
}

FolderListing WindowsFileSystem::ListFolder(const Folder& folder) {
    FolderListing listing;
    const std::wstring system = SystemPath(folder.Path);
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileExW(Child(system, L"*").c_str(), FindExInfoBasic, &entry,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return listing;  // an empty drive root has not even "." and ".."
        }
        FailWithLastError();
    }
    struct Closer {
        HANDLE search;
        ~Closer() { ::FindClose(search); }
    } closer{search};
    do {
        const std::wstring wideName = entry.cFileName;
        if (wideName == L"." || wideName == L"..") {
            continue;
        }
        std::string name = Utf8(wideName);
        std::string path = JoinPath(folder.Path, name);
        const DWORD attributes = entry.dwFileAttributes;
        const bool isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!IsValidName(name)) {
            // Made by another system; Windows would take its name for another.
            listing.Others.push_back(
                OtherEntry{std::move(path), std::move(name), NameWindowsRefuses});
            continue;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !isLink) {
            listing.Files.push_back(File{std::move(path), std::move(name)});
            continue;
        }
        try {
            const BY_HANDLE_FILE_INFORMATION info = InformationAt(Child(system, wideName));
            if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                listing.Subfolders.push_back(Folder{path, name, IdOf(info), isLink});
            } else {
                listing.Files.push_back(File{std::move(path), std::move(name)});
            }
        } catch (const FileSystemError& error) {
            // A link that leads nowhere, or an entry gone since the listing.
            listing.Others.push_back(OtherEntry{std::move(path), std::move(name), error.what()});
        }
    } while (::FindNextFileW(search, &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
        FailWithLastError();
    }
    return listing;
}

std::unique_ptr<InputFile> WindowsFileSystem::OpenForReading(const File& file) {
    return std::make_unique<WindowsInputFile>(SystemPath(file.Path));
}

std::unique_ptr<OutputFile> WindowsFileSystem::CreateOutputFile(const Folder& folder,
                                                                bool durable) {
    return std::make_unique<WindowsOutputFile>(SystemPath(folder.Path), MaxNameLength(folder),
                                               durable ? &unflushed_ : nullptr);
}

void WindowsFileSystem::MakeDurable() {
    // Each file was flushed as it was published (Windows flushes a file, not a
    // volume, without administrator rights); what is left are their names.
    const std::set<std::wstring> folders = std::move(unflushed_);
    unflushed_.clear();
    for (const std::wstring& path : folders) {
        const Handle handle(OpenFolder(path, GENERIC_READ | GENERIC_WRITE));
        if (!handle.IsOpen() || !::FlushFileBuffers(handle.Get())) {
            FailWithLastError();
        }
    }
}

namespace {

// The entry's own attribute decides, as for any Windows program that does not
// force a deletion; a read-only folder (Windows marks customised folders so)
// does not protect what it holds.
void RequireNotReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        FailWithLastError();
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Fail(ERROR_ACCESS_DENIED);
    }
}

}  // namespace

void WindowsFileSystem::DeleteFile(const File& file, const std::optional<FileIdentity>& expected) {
    const std::wstring path = SystemPath(file.Path);
    RequireNotReadOnly(path);
    if (expected) {
        // Held open without sharing writes until it is gone, so that it cannot
        // change between the test and the deletion.
        const Handle handle(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!handle.IsOpen()) {
            FailWithLastError();
        }
        if (IdentityOf(InformationOf(handle.Get())) != *expected) {
            throw FileSystemError(ChangedSinceRead);
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (!::SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition,
                                          sizeof disposition)) {
            FailWithLastError();
        }
        return;
    }
    if (!::DeleteFileW(path.c_str())) {
        FailWithLastError();
    }
}

void WindowsFileSystem::DeleteFolder(const Folder& folder) {
    const std::wstring path = SystemPath(folder.Path);
    RequireNotReadOnly(path);
    if (!::RemoveDirectoryW(path.c_str())) {
        FailWithLastError();
    }
}

std::string WindowsFileSystem::JoinPath(const std::string& folderPath,
                                        const std::string& name) const {
    if (!folderPath.empty() && (folderPath.back() == '\\' || folderPath.back() == '/')) {
        return folderPath + name;
    }
    return folderPath + '\\' + name;
}

bool WindowsFileSystem::IsValidName(const std::string& name) const {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 32 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    const std::wstring wide = Utf16(name);
    return !IsReservedStem(wide.substr(0, wide.find(L'.')));
}

std::string WindowsFileSystem::ComparablePath(const std::string& path) const {
    std::wstring wide = Utf16(path);
    ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

FileSystemError WindowsFileSystem::NameTooLong() const {
    return FileSystemError(SystemErrorText(ERROR_FILENAME_EXCED_RANGE), ENAMETOOLONG);
}

std::size_t WindowsFileSystem::MaxNameLength(const Folder&) {
    // NTFS, FAT's long names, exFAT and ReFS alike, in UTF-16 units.
    return 255;
}

bool WindowsFileSystem::NameFits(const Folder& folder, const std::string& name) {
    // Both in UTF-16 units, as Windows counts them: the name, and the whole
    // path in the form the system is given it, short of its 32,767 units.
    constexpr std::size_t LongestPath = 32766;
    return Utf16(name).size() <= MaxNameLength(folder) &&
           SystemPath(JoinPath(folder.Path, name)).size() <= LongestPath;
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<WindowsFileSystem>();
}

}  // namespace ostrel
