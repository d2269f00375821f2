// What only Windows has: its file names, drive roots, paths beyond 260
// characters, junctions, its media, the registry, and the first-run folders.

#include "AppFixture.h"
#include "RegistrySettingsStore.h"
#include "Settings.h"

// After the services' headers, whose names windows.h would take for macros.
#include <windows.h>

#include <cstring>

#include "Utf16.h"

namespace ostrel {
namespace {

using test::Names;
using test::Problem;

class WindowsOnly : public test::AppFixture {};

std::wstring Long(const fs::path& path) {
    return L"\\\\?\\" + path.wstring();
}

bool Exists(const fs::path& path) {
    return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Under Wine, which makes no links of its own: runs the Linux program
// `program` on the Linux paths of `paths`, and waits (five seconds at most,
// since Wine does not tell when a Linux program ends) until the last path is
// there or, with `removing`, gone.
void RunOnLinux(const wchar_t* program, std::initializer_list<fs::path> paths, bool removing) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    ASSERT_NE(unixName, nullptr) << "not under Wine";
    std::wstring command = program;
    for (const fs::path& path : paths) {
        char* name = unixName(path.wstring().c_str());
        command += L" \"" + Utf16(name) + L"\"";
        ::HeapFree(::GetProcessHeap(), 0, name);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    // (Wine gives no handles of a Linux process, and leaves what it gives
    // unset: closing that could close one of the service's.)
    for (int wait = 0; wait < 500 && Exists(*std::rbegin(paths)) == removing; ++wait) {
        ::Sleep(10);
    }
    ASSERT_NE(Exists(*std::rbegin(paths)), removing);
}

// Makes `link` a junction to the folder `target` (under Wine a symbolic link,
// which Wine shows as one); RemoveFolderLink removes it, not its folder.
void MakeFolderLink(const fs::path& target, const fs::path& link) {
    ASSERT_TRUE(::CreateDirectoryW(Long(link).c_str(), nullptr));
    const std::wstring substitute = L"\\??\\" + target.wstring();
    const std::size_t bytes = substitute.size() * sizeof(wchar_t);
    // REPARSE_DATA_BUFFER of a mount point: the substitute name, an empty
    // print name, each followed by a null character.
    std::vector<std::uint8_t> data(8 + 8 + bytes + 4);
    const auto put16 = [&](std::size_t at, std::size_t value) {
        data[at] = static_cast<std::uint8_t>(value);
        data[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(data.data(), &tag, sizeof tag);
    put16(4, data.size() - 8);
    put16(10, bytes);
    put16(12, bytes + 2);
    std::memcpy(data.data() + 16, substitute.data(), bytes);
    const HANDLE folder =
        ::CreateFileW(Long(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool made =
        ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(),
                          static_cast<DWORD>(data.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(folder);
    if (!made) {
        ::RemoveDirectoryW(Long(link).c_str());
        RunOnLinux(L"/bin/ln -s", {target, link}, false);
    }
    const DWORD attributes = ::GetFileAttributesW(Long(link).c_str());
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

void RemoveFolderLink(const fs::path& link) {
    if (!::RemoveDirectoryW(Long(link).c_str())) {
        RunOnLinux(L"/bin/rm", {link}, true);
    }
}

TEST_F(WindowsOnly, NamesWindowsKeepsForDevicesAreRefusedAndTheirSourcesKept) {
    for (const char* name : {"CON", "con.txt", "Aux.jpg", "NUL", "COM1.jpg", "lpt9", "CON .jpg",
                             "a.", "a ", "a:b", "a\\b", "a/b", "tab\there"}) {
        EXPECT_FALSE(files.IsValidName(name)) << name;
    }
    for (const char* name : {"CONX.jpg", "COM0", "LPT10.jpg", "xCON", ".jpg", "a.b"}) {
        EXPECT_TRUE(files.IsValidName(name)) << name;
    }
    // A name made of the device name alone, and a source that another system
    // named so that Windows would take it for a device.
    options.ExtractRecorded = options.ExtractEdited = options.ExtractComment = 0;
    options.ExtractAlbumNumber = options.ExtractShotNumber = 0;
    options.ExtractLensOrientation = options.ExtractFlash = options.ExtractShutter = 0;
    options.ExtractQuality = 0;
    options.JPGNameFormat = 0;
    options.DeviceName = "CON";
    options.DeleteSourceFiles = 1;
    const fs::path a = Picture("a.PMP");
    const std::wstring aux = L"\\\\?\\" + (tree / "S/AUX.PMP").wstring();
    ::CloseHandle(::CreateFileW(aux.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    Convert();
    EXPECT_NE(::GetFileAttributesW(aux.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(test::FileNames(tree / "S"), Names{"a.PMP"});
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{test::Problem("Unable to convert source file", (tree / "S/AUX.PMP").string(),
                                   "Windows cannot reach a file or folder of this name"),
                     test::Problem("Unable to convert source file", a.string(),
                                   "The name \"CON.jpg\" is kept by the system for a device")}));
    ::DeleteFileW(aux.c_str());
}

TEST_F(WindowsOnly, ATakenNameInOtherLetterCaseIsTaken) {
    Picture("a.PMP", {.Comment = "paris"});
    Picture("b.PMP", {.Comment = "PARIS"});
    Convert(true);
    const Names planned = written;
    written.clear();
    Convert();
    EXPECT_EQ(written, planned);
    EXPECT_EQ(test::FileNames(tree / "O").size(), 2U);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 2);  // the dry run's and the run's
}

TEST_F(WindowsOnly, DriveRootsKeepTheirBackslashAndPathsTakeEitherSlash) {
    EXPECT_EQ(StoredOptions{}.SourcePath, "C:\\");
    EXPECT_EQ(StoredOptions{}.OutputPath, "C:\\");
    const Folder root = files.GetFolder("c:/");
    EXPECT_EQ(root.Path, "C:\\");
    EXPECT_EQ(root.Name, "");
    EXPECT_EQ(files.JoinPath(root.Path, "x.jpg"), "C:\\x.jpg");
    EXPECT_EQ(files.JoinPath("\\\\server\\share", "x.jpg"), "\\\\server\\share\\x.jpg");
    EXPECT_TRUE(files.FolderExists("Z:\\"));
    const std::string s = tree.Root().generic_string() + "/S/./";
    EXPECT_EQ(files.GetFolder(s).Path, (tree / "S").string());
}

TEST_F(WindowsOnly, PathsBeyond260CharactersWorkThroughout) {
    std::string deep = "S";
    while ((tree / deep).string().size() < 300) {
        deep += "/" + std::string(60, 'd');
    }
    const fs::path picture = Picture(deep.substr(2) + "/PSN00001.PMP");
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_GT(written.at(0).size(), 300U);
    EXPECT_EQ(test::ReadBytes(written.at(0)), payload);
    EXPECT_FALSE(fs::exists(picture));
    EXPECT_TRUE(fs::is_empty(tree / "S"));
    EXPECT_TRUE(user.Messages.empty());
}

// A subfolder moved away between its listing and its entering, and a
// junction to a folder elsewhere or another folder put in its place.
struct Swap {
    const char* Name;
    int AtEntering;  // the first entering is its conversion, the second its test for emptiness
    bool ByLink;
};

void PrintTo(const Swap& swap, std::ostream* out) {
    *out << swap.Name;
}

class SwappedFolders : public WindowsOnly, public ::testing::WithParamInterface<Swap> {};

TEST_P(SwappedFolders, AreReportedAndNothingInTheirPlaceIsTouched) {
    const Swap& swap = GetParam();
    Picture("PIC00001/PSN00001.PMP");
    Picture("PIC00003/PSN00002.PMP");
    tree.Write("Victim/PSN00009.PMP", test::PmpFile({}, payload));
    tree.Folder("Victim/Hollow");
    int entered = 0;
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && ++entered == swap.AtEntering) {
            fs::rename(tree / "S/PIC00003", tree / "Moved");
            if (swap.ByLink) {
                MakeFolderLink(tree / "Victim", tree / "S/PIC00003");
            } else {
                fs::rename(tree / "Victim", tree / "S/PIC00003");
            }
        }
    };
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    const fs::path victim = swap.ByLink ? tree / "Victim" : tree / "S/PIC00003";
    EXPECT_EQ(test::FileNames(victim), Names{"PSN00009.PMP"});
    EXPECT_TRUE(fs::is_directory(victim / "Hollow"));
    EXPECT_FALSE(fs::exists(tree / "S/PIC00001"));
    const bool converting = swap.AtEntering == 1;
    EXPECT_EQ(counters.SourceObjectNumber, converting ? 1 : 2);
    EXPECT_EQ(test::FileNames(tree / "Moved"), converting ? Names{"PSN00002.PMP"} : Names{});
    EXPECT_EQ(user.Prompts,
              Names{Problem(
                  converting ? "Unable to read source folder" : "Unable to delete source subfolder",
                  (tree / "S/PIC00003").string(), "It was replaced while the conversion ran")});
    if (swap.ByLink) {
        RemoveFolderLink(tree / "S/PIC00003");
    }
}

INSTANTIATE_TEST_SUITE_P(BetweenListingAndEntering, SwappedFolders,
                         ::testing::Values(Swap{"ByAJunctionBeforeItsConversion", 1, true},
                                           Swap{"ByAnotherFolderBeforeItsConversion", 1, false},
                                           Swap{"ByAJunctionBeforeItsEmptinessTest", 2, true}),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST_F(WindowsOnly, AFolderSwappedForAJunctionJustBeforeItIsDeletedIsKept) {
    // Found empty but for a subfolder made after the walk, which goes first;
    // just before that, the folder is moved away and a junction put there.
    Picture("PIC00003/PSN00002.PMP");
    tree.Folder("Victim/Hollow");
    int entered = 0;
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && ++entered == 2) {
            tree.Folder("S/PIC00003/Late");
        } else if (listed.Name == "Late" && ++entered == 4) {
            fs::rename(tree / "S/PIC00003", tree / "Moved");
            MakeFolderLink(tree / "Victim", tree / "S/PIC00003");
        }
    };
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::is_directory(tree / "Victim/Hollow"));
    EXPECT_TRUE(test::FileNames(tree / "Moved").empty());
    EXPECT_EQ(user.Prompts,
              Names{Problem("Unable to delete source subfolder", (tree / "S/PIC00003").string(),
                            "It was replaced while the conversion ran")});
    RemoveFolderLink(tree / "S/PIC00003");
}

TEST_F(WindowsOnly, FoldersThatWindowsCannotOpenByNameAreReportedAsUnread) {
    // Named so by another system: Windows would look for "trail" and "space".
    Picture("A/PSN00001.PMP");
    Picture("B/PSN00002.PMP");
    const fs::path trail = tree / "S/A/trail.", space = tree / "S/space ";
    for (const fs::path& folder : {trail, space}) {
        ASSERT_TRUE(::CreateDirectoryW(Long(folder).c_str(), nullptr));
        const HANDLE file = ::CreateFileW(Long(folder / "PSN00003.PMP").c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, 0, nullptr);
        const test::Bytes picture = test::PmpFile({}, payload);
        DWORD put = 0;
        ::WriteFile(file, picture.data(), static_cast<DWORD>(picture.size()), &put, nullptr);
        ::CloseHandle(file);
    }
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(counters.NumberOfSkippedFolders, 2);
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{Problem("Unable to read source folder", trail.string(),
                             "Windows cannot reach a file or folder of this name"),
                     Problem("Unable to read source folder", space.string(),
                             "Windows cannot reach a file or folder of this name")}));
    // A holds what was not read, so it stays; B was emptied.
    EXPECT_TRUE(fs::is_directory(tree / "S/A"));
    EXPECT_TRUE(test::FileNames(tree / "S/A").empty());
    EXPECT_FALSE(fs::exists(tree / "S/B"));
    for (const fs::path& folder : {trail, space}) {
        EXPECT_TRUE(::DeleteFileW(Long(folder / "PSN00003.PMP").c_str()));
        EXPECT_TRUE(::RemoveDirectoryW(Long(folder).c_str()));
    }
}

// A folder flush that the system refuses, after every new file was flushed.
struct RefusedFlush {
    const char* Name;
    bool Network;
    unsigned long Error;
    bool SourcesKept;
};

void PrintTo(const RefusedFlush& row, std::ostream* out) {
    *out << row.Name;
}

class RefusedFolderFlushes : public WindowsOnly,
                             public ::testing::WithParamInterface<RefusedFlush> {};

TEST_P(RefusedFolderFlushes, KeepTheSourcesUnlessAShareRefusesFlushingFolders) {
    const RefusedFlush& row = GetParam();
    files.Network = row.Network;
    files.FolderFlushError = row.Error;
    options.DeleteSourceFiles = 2;
    const fs::path a = Picture("a.PMP");
    Convert();
    EXPECT_EQ(files.Flushed, Names{(tree / "O").string()});
    EXPECT_EQ(fs::exists(a), row.SourcesKept);
    EXPECT_EQ(user.Prompts, row.SourcesKept ? Names{Problem("Unable to delete source file",
                                                            a.string(), SystemErrorText(row.Error))}
                                            : Names{});
}

INSTANTIATE_TEST_SUITE_P(
    OnEachMedium, RefusedFolderFlushes,
    ::testing::Values(RefusedFlush{"LocalDisk", false, ERROR_INVALID_FUNCTION, true},
                      RefusedFlush{"ShareThatFlushesNoFolder", true, ERROR_INVALID_FUNCTION, false},
                      RefusedFlush{"ShareThatMayNotWriteTheFolder", true, ERROR_ACCESS_DENIED,
                                   false},
                      RefusedFlush{"ShareThatIsGone", true, ERROR_NETNAME_DELETED, true}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(WindowsOutputFiles, AFileNotYetNamedGoesWithTheProgramHoweverItEnds) {
    // Run again as a program that is killed while it writes a picture.
    wchar_t folder[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"OSTREL_TEST_KILLED_IN", folder, MAX_PATH) > 0) {
        WindowsFileSystem files;
        const auto out = files.CreateOutputFile(files.GetFolder(Utf8(folder)), true);
        out->Write(test::EveryByte(100'000));
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    test::TempTree tree;
    const fs::path o = tree.Folder("O");
    ASSERT_TRUE(::SetEnvironmentVariableW(L"OSTREL_TEST_KILLED_IN", o.wstring().c_str()));
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=WindowsOutputFiles.AFileNotYetNamedGoesWith*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    ::SetEnvironmentVariableW(L"OSTREL_TEST_KILLED_IN", nullptr);
    ASSERT_EQ(::WaitForSingleObject(process.hProcess, 30'000), WAIT_OBJECT_0);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(status, 3U);
    EXPECT_TRUE(fs::is_empty(o));
}

TEST(WindowsMedia, OnlyNtfsAndRefsOnALocalFixedDiskKeepTheirFileNumbers) {
    struct Row {
        const wchar_t* FileSystem;
        bool Remote, Removable, Stable, Wide;
    };
    for (const Row& row :
         {Row{L"NTFS", false, false, true, false}, Row{L"ReFS", false, false, true, true},
          Row{L"NTFS", false, true, false, false}, Row{L"NTFS", true, false, false, false},
          Row{L"FAT32", false, false, false, false}, Row{L"exFAT", false, false, false, false},
          Row{L"FAT", false, true, false, false}}) {
        const WindowsMedium medium = ClassifyMedium(row.FileSystem, row.Remote, row.Removable);
        EXPECT_EQ(medium.StableIdentity, row.Stable) << Utf8(row.FileSystem) << row.Removable;
        EXPECT_EQ(medium.WideIds, row.Wide) << Utf8(row.FileSystem);
        EXPECT_EQ(medium.Remote, row.Remote) << Utf8(row.FileSystem);
    }
}

TEST(WindowsSettings, KeptWhereTheWindowsQSettingsKeepsThem) {
    RegistrySettingsStore store;
    const std::string app = "Ostrel Test 0.0";
    store.Write(app, "Main", "SourcePath", "C:\\Bilder \xC3\xBC");
    wchar_t value[64] = {};
    DWORD bytes = sizeof value;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Test 0.0\\Main",
                             L"SourcePath", RRF_RT_REG_SZ, nullptr, value, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), L"C:\\Bilder \u00FC");
    EXPECT_EQ(store.Read(app, "Main", "SourcePath", "none"), "C:\\Bilder \xC3\xBC");
    EXPECT_EQ(store.Read(app, "Main", "OutputPath", "none"), "none");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Test 0.0");
}

TEST(WindowsSettings, NumbersAndUnexpandedTextsReadAsTheWindowsQSettingsReadsThem) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Test 0.0\\Main", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const auto set = [key](const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data),
                         static_cast<DWORD>(size));
    };
    const DWORD format = 0, minus = 0xFFFFFFFF;
    const ULONGLONG big = 5000000000;
    const wchar_t expand[] = L"@@%USERPROFILE%\\Pictures";
    set(L"JPGNameFormat", REG_DWORD, &format, sizeof format);
    set(L"Minus", REG_DWORD, &minus, sizeof minus);
    set(L"Big", REG_QWORD, &big, sizeof big);
    set(L"SourcePath", REG_EXPAND_SZ, expand, sizeof expand);
    set(L"Bytes", REG_BINARY, "\x31\x00", 2);
    ::RegCloseKey(key);

    RegistrySettingsStore store;
    const std::string app = "Ostrel Test 0.0";
    EXPECT_EQ(store.Read(app, "Main", "Minus", "none"), "-1");
    EXPECT_EQ(store.Read(app, "Main", "Big", "none"), "5000000000");
    EXPECT_EQ(store.Read(app, "Main", "Bytes", "none"), "none");
    const StoredOptions loaded = LoadOptions(store, app);
    EXPECT_EQ(loaded.JPGNameFormat, 0);
    EXPECT_EQ(loaded.SourcePath, "@%USERPROFILE%\\Pictures");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Test 0.0");
}

}  // namespace
}  // namespace ostrel
