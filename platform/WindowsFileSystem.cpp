// The file system services on Windows. A folder that the user names is opened
// by its path; everything below it is opened by name relative to its open
// folder with the native NtCreateFile, so that a folder renamed or replaced
// meanwhile can never redirect what is done, and so that names that Win32
// would change (a trailing dot or blank) reach the entry they name.

#include "WindowsFileSystem.h"

#include <windows.h>
#include <winternl.h>
#undef DeleteFile  // the service's own member of that name

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>

#include "Utf16.h"

namespace ostrel {
namespace {

constexpr const char* NameWindowsRefuses = "Windows cannot reach a file or folder of this name";

// The native calls' answers that are told apart here.
constexpr NTSTATUS NameNotFound = static_cast<NTSTATUS>(0xC0000034UL);
constexpr NTSTATUS NameCollision = static_cast<NTSTATUS>(0xC0000035UL);
constexpr NTSTATUS PathNotFound = static_cast<NTSTATUS>(0xC000003AUL);
constexpr NTSTATUS IsADirectory = static_cast<NTSTATUS>(0xC00000BAUL);
constexpr NTSTATUS NotADirectory = static_cast<NTSTATUS>(0xC0000103UL);

// The device information of a volume, as FileFsDeviceInformation gives it.
struct DeviceInformation {
    ULONG DeviceType;
    ULONG Characteristics;
};
constexpr ULONG RemovableMedia = 0x00000001;  // FILE_REMOVABLE_MEDIA
constexpr ULONG RemoteDevice = 0x00000010;    // FILE_REMOTE_DEVICE

// FileInternalInformation's answer: the file's number on its volume.
struct InternalInformation {
    LARGE_INTEGER IndexNumber;
};

// FileRenameInformation's input: the new name, relative to RootDirectory.
struct RenameInformation {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    ULONG FileNameLength;
    WCHAR FileName[1];
};

constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a folder is held open for: listing it, and opening what it holds.
constexpr ACCESS_MASK FolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

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

[[noreturn]] void FailWithStatus(NTSTATUS status) {
    Fail(::RtlNtStatusToDosError(status));
}

[[noreturn]] void Refuse(const char* description) {
    throw FileSystemError(description);
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
    // Hands the handle over, unclosed.
    HANDLE Release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
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

// Opens `name` in the open folder `folder` with the native call: by the name
// as it is (Win32 would drop a trailing dot or blank), case-insensitively as
// Win32 does, for synchronous reads and writes. Returns the call's status;
// `opened` holds the handle on success.
NTSTATUS OpenIn(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
                ULONG disposition, ULONG options, Handle& opened) {
    UNICODE_STRING text{};
    text.Buffer = const_cast<PWSTR>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share,
        disposition, options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr,
        0);
    if (NT_SUCCESS(result)) {
        opened.Reset(handle);
    }
    return result;
}

bool IsMissing(NTSTATUS status) {
    return status == NameNotFound || status == PathNotFound;
}

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

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

// What is asked of an open entry is what the system keeps with the entry
// itself, never its name: Wine cannot tell the name of an entry opened in a
// folder that was renamed since, and fails where the name is asked too.
template <FILE_INFO_BY_HANDLE_CLASS Kind, typename Information>
Information Query(HANDLE handle) {
    Information information{};
    if (!::GetFileInformationByHandleEx(handle, Kind, &information, sizeof information)) {
        FailWithLastError();
    }
    return information;
}

FILE_BASIC_INFO BasicOf(HANDLE handle) {
    return Query<FileBasicInfo, FILE_BASIC_INFO>(handle);
}

bool IsFolder(HANDLE handle) {
    return (BasicOf(handle).FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether the open entry is a link (a junction, a symbolic link, or any
// other reparse point) rather than what it leads to.
bool IsReparsePoint(HANDLE handle) {
    const auto tag = Query<FileAttributeTagInfo, FILE_ATTRIBUTE_TAG_INFO>(handle);
    return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The serial number of the volume that holds the open entry.
std::uint64_t VolumeOf(HANDLE handle) {
    DWORD serial = 0;
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, &serial, nullptr, nullptr, nullptr,
                                         0)) {
        FailWithLastError();
    }
    return serial;
}

// File times count 100 ns from 1601; as nanoseconds from 1970, they fit.
std::int64_t Nanoseconds(LARGE_INTEGER time) {
    constexpr std::int64_t From1601 = 116'444'736'000'000'000;
    return (time.QuadPart - From1601) * 100;
}

// A folder held open; its handle is closed when the last Folder that holds it
// goes, or when the folder is deleted.
class WindowsFolder;

}  // namespace

struct WindowsFileSystem::OpenFolders {
    std::mutex Lock;
    std::multimap<FolderId, WindowsFolder*> ById;
};

namespace {

class WindowsFolder final : public FolderHandle {
public:
    WindowsFolder(HANDLE handle, FolderId id, std::shared_ptr<WindowsFileSystem::OpenFolders> open)
        : handle_(handle), id_(id), open_(std::move(open)) {
        const std::lock_guard lock(open_->Lock);
        open_->ById.emplace(id_, this);
    }
    ~WindowsFolder() override {
        const std::lock_guard lock(open_->Lock);
        auto [from, to] = open_->ById.equal_range(id_);
        for (; from != to; ++from) {
            if (from->second == this) {
                open_->ById.erase(from);
                break;
            }
        }
        Close();
    }
    WindowsFolder(const WindowsFolder&) = delete;
    WindowsFolder& operator=(const WindowsFolder&) = delete;

    HANDLE Get() const {
        if (handle_ == INVALID_HANDLE_VALUE) {
            Fail(ERROR_PATH_NOT_FOUND);  // deleted
        }
        return handle_;
    }

    // Closes the handle of a folder that is deleted, so that it can go.
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
    FolderId id_;
    std::shared_ptr<WindowsFileSystem::OpenFolders> open_;
};

HANDLE HandleOf(const Folder& folder) {
    if (!folder.IsOpen()) {
        Fail(ERROR_PATH_NOT_FOUND);  // a folder only planned holds nothing
    }
    return static_cast<const WindowsFolder&>(*folder.Handle).Get();
}

// The entry's number on its volume: where the volume's numbers are wider
// than 64 bits, both halves of it.
std::uint64_t NumberOf(HANDLE handle, const WindowsMedium& medium) {
    FILE_ID_INFO wide{};
    if (medium.WideIds && ::GetFileInformationByHandleEx(handle, FileIdInfo, &wide, sizeof wide)) {
        std::uint64_t halves[2];
        std::memcpy(halves, wide.FileId.Identifier, sizeof halves);
        return halves[0] ^ halves[1];
    }
    InternalInformation internal{};
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = ::NtQueryInformationFile(handle, &status, &internal, sizeof internal,
                                                     FileInternalInformation);
    if (!NT_SUCCESS(result)) {
        FailWithStatus(result);
    }
    return static_cast<std::uint64_t>(internal.IndexNumber.QuadPart);
}

// Whether the file now is the one converted: by its numbers where the file
// system keeps them, else by its size here and its bytes after.
bool SameNumbers(const FileIdentity& now, const FileIdentity& converted) {
    if (converted.StableIdentity) {
        return now == converted;
    }
    return now.Device == converted.Device && now.Size == converted.Size;
}

class WindowsInputFile final : public InputFile {
public:
    // With `owned`, the handle is closed when the object goes.
    WindowsInputFile(HANDLE handle, const FileIdentity& identity, bool owned)
        : handle_(handle), identity_(identity), owned_(owned) {}
    ~WindowsInputFile() override {
        if (owned_) {
            ::CloseHandle(handle_);
        }
    }
    WindowsInputFile(const WindowsInputFile&) = delete;
    WindowsInputFile& operator=(const WindowsInputFile&) = delete;

    FileIdentity Identity() override { return identity_; }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1U << 30));
        if (!::ReadFile(handle_, buffer.data(), wanted, &got, nullptr)) {
            FailWithLastError();
        }
        return got;
    }

private:
    HANDLE handle_;
    FileIdentity identity_;
    bool owned_;
};

// Has the entry deleted as soon as the last handle to it is closed (with
// `deleted`), or no longer.
bool SetDeleted(HANDLE handle, bool deleted) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleted)};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                        sizeof disposition);
}

void MarkForDeletion(HANDLE handle) {
    if (!SetDeleted(handle, true)) {
        FailWithLastError();
    }
}

// The entry's own attribute decides, as for any Windows program that does not
// force a deletion; a read-only folder (Windows marks customised folders so)
// does not protect what it holds.
void RequireNotReadOnly(HANDLE handle) {
    if ((BasicOf(handle).FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Fail(ERROR_ACCESS_DENIED);
    }
}

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

// The file is written under a temporary name and renamed to its own, through
// its handle and relative to its folder's, only when whole; renaming never
// replaces a file. Until then it is to be deleted as its handle is closed,
// so that a run that ends in any way (a crash, a kill) leaves nothing of it.
class WindowsOutputFile final : public OutputFile {
public:
    WindowsOutputFile(WindowsFileSystem& owner, Folder folder, bool durable)
        : owner_(owner), folder_(std::move(folder)), durable_(durable) {
        const HANDLE dir = HandleOf(folder_);
        for (int attempt = 0; !handle_.IsOpen(); ++attempt) {
            const NTSTATUS status =
                OpenIn(dir, Utf16(TemporaryFileName()), GENERIC_WRITE | DELETE, 0, FILE_CREATE,
                       FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY, handle_);
            if (!NT_SUCCESS(status) && (status != NameCollision || attempt > 100)) {
                FailWithStatus(status);
            }
        }
        MarkForDeletion(handle_.Get());
    }

    ~WindowsOutputFile() override {
        if (!published_ && handle_.IsOpen()) {
            SetDeleted(handle_.Get(), true);  // again, after a name that was taken
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
        if (wideName.size() > owner_.MaxNameLength(folder_)) {
            Fail(ERROR_FILENAME_EXCED_RANGE);
        }
        if (durable_ && !flushed_) {
            // The data on the disk before the file has its name; MakeDurable
            // adds the name before any source is deleted.
            if (!::FlushFileBuffers(handle_.Get())) {
                FailWithLastError();
            }
            flushed_ = true;
        }
        std::vector<std::byte> buffer(offsetof(RenameInformation, FileName) +
                                      wideName.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = HandleOf(folder_);
        rename->FileNameLength = static_cast<ULONG>(wideName.size() * sizeof(wchar_t));
        std::memcpy(rename->FileName, wideName.data(), rename->FileNameLength);
        if (!SetDeleted(handle_.Get(), false)) {
            FailWithLastError();
        }
        IO_STATUS_BLOCK status{};
        const NTSTATUS result =
            ::NtSetInformationFile(handle_.Get(), &status, rename,
                                   static_cast<ULONG>(buffer.size()), FileRenameInformation);
        if (!NT_SUCCESS(result)) {
            SetDeleted(handle_.Get(), true);
            FailWithStatus(result);
        }
        published_ = true;
        if (durable_) {
            auto& unflushed = owner_.unflushed_;
            if (std::none_of(unflushed.begin(), unflushed.end(),
                             [&](const Folder& f) { return f.Handle == folder_.Handle; })) {
                unflushed.push_back(folder_);
            }
        }
        if (const DWORD error = handle_.Close()) {
            Fail(error);
        }
    }

private:
    WindowsFileSystem& owner_;
    Folder folder_;  // held open while the file is written
    bool durable_;
    bool flushed_ = false;
    Handle handle_;
    bool published_ = false;
};

WindowsMedium ClassifyMedium(std::wstring_view fileSystem, bool remote, bool removable) {
    const bool numbered = fileSystem == L"NTFS" || fileSystem == L"ReFS";
    return WindowsMedium{numbered && !remote && !removable, fileSystem == L"ReFS", remote};
}

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

WindowsFileSystem::WindowsFileSystem() : open_(std::make_shared<OpenFolders>()) {}

WindowsMedium WindowsFileSystem::DescribeMedium(void* handle) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, name,
                                         MAX_PATH + 1)) {
        name[0] = L'\0';
    }
    DeviceInformation device{};
    IO_STATUS_BLOCK status{};
    if (!NT_SUCCESS(::NtQueryVolumeInformationFile(handle, &status, &device, sizeof device,
                                                   FileFsDeviceInformation))) {
        return ClassifyMedium(name, false, true);  // unknown: as a stick
    }
    return ClassifyMedium(name,
                          device.DeviceType == FILE_DEVICE_NETWORK_FILE_SYSTEM ||
                              (device.Characteristics & RemoteDevice) != 0,
                          (device.Characteristics & RemovableMedia) != 0);
}

const WindowsMedium& WindowsFileSystem::MediumOf(void* handle, std::uint64_t volume) {
    auto found = media_.find(volume);
    if (found == media_.end()) {
        found = media_.emplace(volume, DescribeMedium(handle)).first;
    }
    return found->second;
}

const WindowsMedium& WindowsFileSystem::MediumOf(const Folder& folder) {
    return MediumOf(HandleOf(folder), folder.Id.Device);
}

FolderId WindowsFileSystem::IdOf(void* handle) {
    const std::uint64_t volume = VolumeOf(handle);
    return FolderId{volume, NumberOf(handle, MediumOf(handle, volume))};
}

// (Without a link, no entry is on another volume than its folder: a volume
// is mounted in a folder as a reparse point. Wine cannot tell the volume of
// an entry opened in a folder that was renamed since.)
FolderId WindowsFileSystem::IdIn(const Folder& folder, void* handle) {
    return FolderId{folder.Id.Device, NumberOf(handle, MediumOf(folder))};
}

FileIdentity WindowsFileSystem::IdentityOf(void* handle, std::uint64_t volume) {
    const WindowsMedium& medium = MediumOf(handle, volume);
    const FILE_BASIC_INFO basic = BasicOf(handle);
    const auto standard = Query<FileStandardInfo, FILE_STANDARD_INFO>(handle);
    return FileIdentity{volume,
                        NumberOf(handle, medium),
                        static_cast<std::uint64_t>(standard.EndOfFile.QuadPart),
                        Nanoseconds(basic.LastWriteTime),
                        Nanoseconds(basic.ChangeTime),
                        medium.StableIdentity};
}

Folder WindowsFileSystem::Opened(void* handle, FolderId id, std::string path, std::string name,
                                 bool isLink) {
    return Folder{std::move(path), std::move(name), id, isLink,
                  std::make_shared<WindowsFolder>(handle, id, open_)};
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
    // Followed where it is a link, as any program's opening does.
    Handle handle(::CreateFileW(system.c_str(), FolderAccess, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsOpen()) {
        FailWithLastError();
    }
    if (!IsFolder(handle.Get())) {
        Fail(ERROR_DIRECTORY);
    }
    std::string full = UserPath(FinalPath(handle.Get()).value_or(system));
    // A drive root keeps its backslash ("C:\"); any other folder has none.
    if (full.size() > 3 && full.back() == '\\') {
        full.pop_back();
    }
    std::string name = NameOf(full.size() == 3 ? std::string() : full);
    const FolderId id = IdOf(handle.Get());
    return Opened(handle.Release(), id, std::move(full), std::move(name), false);
}

Folder WindowsFileSystem::EnterFolder(const Folder& parent, const Folder& listed) {
    if (!IsValidName(listed.Name)) {
        // Made by another system: whatever is below it, Windows programs
        // cannot reach it by its name.
        Refuse(NameWindowsRefuses);
    }
    // A folder that was none is never followed as a link, which it may have
    // become since; a link is followed, and must lead where it did.
    Handle handle;
    const NTSTATUS status =
        OpenIn(HandleOf(parent), Utf16(listed.Name), FolderAccess, ShareAll, FILE_OPEN,
               FILE_DIRECTORY_FILE | (listed.IsLink ? 0 : FILE_OPEN_REPARSE_POINT), handle);
    if (status == NotADirectory) {
        Refuse(ReplacedSinceListed);
    }
    if (!NT_SUCCESS(status)) {
        FailWithStatus(status);
    }
    if (!listed.IsLink && IsReparsePoint(handle.Get())) {
        Refuse(ReplacedSinceListed);
    }
    const FolderId id = listed.IsLink ? IdOf(handle.Get()) : IdIn(parent, handle.Get());
    const bool stable = MediumOf(handle.Get(), id.Device).StableIdentity;
    if (stable ? id != listed.Id : id.Device != listed.Id.Device) {
        Refuse(ReplacedSinceListed);
    }
    return Opened(handle.Release(), id, listed.Path, listed.Name, listed.IsLink);
}

std::optional<Folder> WindowsFileSystem::OpenFolder(const Folder& parent, const std::string& name) {
    if (!parent.IsOpen()) {
        return std::nullopt;
    }
    Handle handle;
    const NTSTATUS status = OpenIn(HandleOf(parent), Utf16(name), FolderAccess, ShareAll, FILE_OPEN,
                                   FILE_DIRECTORY_FILE, handle);
    if (IsMissing(status) || status == NotADirectory) {
        return std::nullopt;
    }
    if (!NT_SUCCESS(status)) {
        FailWithStatus(status);
    }
    const FolderId id = IdOf(handle.Get());
    return Opened(handle.Release(), id, JoinPath(parent.Path, name), name, false);
}

Folder WindowsFileSystem::CreateFolder(const Folder& parent, const std::string& name) {
    Handle handle;
    const NTSTATUS status = OpenIn(HandleOf(parent), Utf16(name), FolderAccess, ShareAll,
                                   FILE_CREATE, FILE_DIRECTORY_FILE, handle);
    if (status == NameCollision) {
        Fail(ERROR_FILE_EXISTS);  // as CreateDirectory words it
    }
    if (!NT_SUCCESS(status)) {
        FailWithStatus(status);
    }
    const FolderId id = IdIn(parent, handle.Get());
    return Opened(handle.Release(), id, JoinPath(parent.Path, name), name, false);
}

bool WindowsFileSystem::FileExists(const Folder& folder, const std::string& name) {
    if (!folder.IsOpen()) {
        return false;
    }
    Handle handle;
    // Anything that answers but "not found" is there: a file in use, a
    // folder, one that is being deleted.
    return !IsMissing(OpenIn(HandleOf(folder), Utf16(name), FILE_READ_ATTRIBUTES, ShareAll,
                             FILE_OPEN, FILE_OPEN_REPARSE_POINT, handle));
}

FolderListing WindowsFileSystem::ListFolder(const Folder& folder) {
    FolderListing listing;
    const HANDLE dir = HandleOf(folder);
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    const auto size = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    // Each call goes on from where the last one stopped; the first starts the
    // listing of the handle over.
    for (FILE_INFO_BY_HANDLE_CLASS next = FileIdBothDirectoryRestartInfo;;
         next = FileIdBothDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(dir, next, buffer.data(), size)) {
            const DWORD error = ::GetLastError();
            // An empty drive root has not even "." and "..".
            if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND) {
                return listing;
            }
            Fail(error);
        }
        const auto* bytes = reinterpret_cast<const std::byte*>(buffer.data());
        for (std::size_t at = 0;;) {
            const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + at);
            const std::wstring_view wideName(entry.FileName,
                                             entry.FileNameLength / sizeof(wchar_t));
            if (wideName != L"." && wideName != L"..") {
                std::string name = Utf8(wideName);
                std::string path = JoinPath(folder.Path, name);
                const DWORD attributes = entry.FileAttributes;
                const bool isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                if (!IsValidName(name) && !isFolder) {
                    // Made by another system; Windows would take its name for
                    // another. (A folder so named is listed, and refused when
                    // entered, so that what it holds is reported.)
                    listing.Others.push_back(
                        OtherEntry{std::move(path), std::move(name), NameWindowsRefuses});
                } else if (!isFolder && !isLink) {
                    listing.Files.push_back(File{std::move(path), std::move(name)});
                } else {
                    // A folder is opened for the numbers that EnterFolder
                    // checks; a link is followed, to what it leads to.
                    Handle opened;
                    const NTSTATUS status =
                        OpenIn(dir, wideName, FILE_READ_ATTRIBUTES, ShareAll, FILE_OPEN,
                               isLink ? 0 : FILE_OPEN_REPARSE_POINT, opened);
                    try {
                        if (!NT_SUCCESS(status)) {
                            FailWithStatus(status);
                        }
                        if (IsFolder(opened.Get())) {
                            listing.Subfolders.push_back(
                                Folder{path, name,
                                       isLink ? IdOf(opened.Get()) : IdIn(folder, opened.Get()),
                                       isLink, nullptr});
                        } else {
                            listing.Files.push_back(File{path, name});
                        }
                    } catch (const FileSystemError& error) {
                        // A link that leads nowhere, or an entry gone since
                        // the listing.
                        listing.Others.push_back(
                            OtherEntry{std::move(path), std::move(name), error.what()});
                    }
                }
            }
            if (entry.NextEntryOffset == 0) {
                break;
            }
            at += entry.NextEntryOffset;
        }
    }
}

std::unique_ptr<InputFile> WindowsFileSystem::OpenForReading(const Folder& folder,
                                                             const File& file) {
    const HANDLE dir = HandleOf(folder);
    const std::wstring name = Utf16(file.Name);
    // Others may read the picture meanwhile, but neither change nor delete it.
    const auto open = [&](ULONG options, Handle& handle) {
        const NTSTATUS status =
            OpenIn(dir, name, FILE_READ_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                   FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY | options, handle);
        if (status == IsADirectory) {
            Refuse(NotARegularFile);
        }
        if (!NT_SUCCESS(status)) {
            FailWithStatus(status);
        }
    };
    // The entry itself, which lies on its folder's volume; a link, or a file
    // whose bytes another program keeps (a reparse point), is opened again
    // for what it leads to, wherever that lies.
    Handle handle;
    open(FILE_OPEN_REPARSE_POINT, handle);
    std::uint64_t volume = folder.Id.Device;
    if (IsReparsePoint(handle.Get())) {
        handle.Close();
        open(0, handle);
        volume = VolumeOf(handle.Get());
    }
    if (::GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        Refuse(NotARegularFile);
    }
    const FileIdentity identity = IdentityOf(handle.Get(), volume);
    return std::make_unique<WindowsInputFile>(handle.Release(), identity, true);
}

std::unique_ptr<OutputFile> WindowsFileSystem::CreateOutputFile(const Folder& folder,
                                                                bool durable) {
    return std::make_unique<WindowsOutputFile>(*this, folder, durable);
}

unsigned long WindowsFileSystem::FlushFolder(const Folder& folder) {
    // Flushing needs a handle that may write: adding files is what is written.
    const Handle handle(
        ::ReOpenFile(HandleOf(folder), FILE_ADD_FILE, ShareAll, FILE_FLAG_BACKUP_SEMANTICS));
    if (!handle.IsOpen() || !::FlushFileBuffers(handle.Get())) {
        return ::GetLastError();
    }
    return 0;
}

void WindowsFileSystem::MakeDurable() {
    // Each file was flushed as it was published (Windows flushes a file, not a
    // volume, without administrator rights); what is left are their names.
    const std::vector<Folder> folders = std::move(unflushed_);
    unflushed_.clear();
    for (const Folder& folder : folders) {
        const DWORD error = FlushFolder(folder);
        if (error == 0) {
            continue;
        }
        // A share whose server will not flush a folder for its client gets
        // the names to its disk as it does for every other program: the
        // files themselves are on it. Only a failing share keeps the sources.
        const bool refused = error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_FUNCTION ||
                             error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER;
        if (!(refused && MediumOf(folder).Remote)) {
            Fail(error);
        }
    }
}

void WindowsFileSystem::DeleteFile(const Folder& folder, const File& file,
                                   const DeletionCheck* check) {
    const HANDLE dir = HandleOf(folder);
    const std::wstring name = Utf16(file.Name);
    const bool byBytes = check != nullptr && !check->Converted.StableIdentity;
    // The entry itself, never what a link leads to; held without sharing
    // writes until it is gone, so that it cannot change between the checks
    // and the deletion.
    Handle own;
    const NTSTATUS status =
        OpenIn(dir, name, DELETE | FILE_READ_ATTRIBUTES | (byBytes ? FILE_READ_DATA : 0),
               FILE_SHARE_READ, FILE_OPEN, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, own);
    if (status == IsADirectory) {
        Refuse(check != nullptr ? ChangedSinceRead : NotARegularFile);
    }
    if (!NT_SUCCESS(status)) {
        FailWithStatus(status);
    }
    RequireNotReadOnly(own.Get());
    if (check != nullptr) {
        // A link is judged by the file that was read through it.
        Handle target;
        HANDLE subject = own.Get();
        std::uint64_t volume = folder.Id.Device;
        if (IsReparsePoint(own.Get())) {
            const NTSTATUS followed =
                OpenIn(dir, name, FILE_READ_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                       FILE_NON_DIRECTORY_FILE, target);
            if (!NT_SUCCESS(followed)) {
                Refuse(ChangedSinceRead);
            }
            subject = target.Get();
            volume = VolumeOf(subject);
        }
        if (!SameNumbers(IdentityOf(subject, volume), check->Converted)) {
            Refuse(ChangedSinceRead);
        }
        if (byBytes) {
            WindowsInputFile in(subject, check->Converted, false);
            if (!check->SameBytes || !check->SameBytes(in)) {
                Refuse(ChangedSinceRead);
            }
        }
    }
    MarkForDeletion(own.Get());
}

void WindowsFileSystem::DeleteFolder(const Folder& parent, const Folder& folder) {
    Handle handle;
    const NTSTATUS status =
        OpenIn(HandleOf(parent), Utf16(folder.Name), DELETE | FolderAccess, ShareAll, FILE_OPEN,
               FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, handle);
    if (status == NotADirectory) {
        Refuse(ReplacedSinceListed);
    }
    if (!NT_SUCCESS(status)) {
        FailWithStatus(status);
    }
    if (IsReparsePoint(handle.Get())) {
        Refuse(ReplacedSinceListed);
    }
    const FolderId id = IdIn(parent, handle.Get());
    if (MediumOf(parent).StableIdentity ? id != folder.Id : id.Device != folder.Id.Device) {
        Refuse(ReplacedSinceListed);
    }
    RequireNotReadOnly(handle.Get());
    MarkForDeletion(handle.Get());
    // Windows removes a folder once the last handle to it is closed, and
    // only an empty folder's own folder can go: what holds it open here (the
    // walk, the deletions waiting in its batch) lets it go now.
    const std::lock_guard lock(open_->Lock);
    auto [from, to] = open_->ById.equal_range(id);
    for (; from != to; ++from) {
        from->second->Close();
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
