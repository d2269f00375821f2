// What only Windows has: its file names, drive roots, paths beyond 260
// characters, folder links, its media, the registry, and the first-run folders.

#include "AppFixture.h"
#include "RegistrySettingsStore.h"
#include "Settings.h"

// After the services' headers, whose names windows.h would take for macros.
#include <windows.h>

#include <array>

#include "Utf16.h"

namespace ostrel {
namespace {

using test::Names;
using test::Problem;

std::wstring Long(const fs::path& path) {
    return L"\\\\?\\" + path.wstring();
}

bool Exists(const fs::path& path) {
    return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

PROCESS_INFORMATION Start(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    return process;
}

// Under Wine: runs the Linux program `program` on the Linux paths of `paths`,
// and waits (five seconds at most: Wine gives no usable handles of a Linux
// process) until the last path is there or, with `removing`, gone.
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
    Start(command);
    for (int wait = 0; wait < 500 && Exists(*std::rbegin(paths)) == removing; ++wait) {
        ::Sleep(10);
    }
    ASSERT_NE(Exists(*std::rbegin(paths)), removing);
}

// Makes `link` a symbolic link to the folder `target`: Windows makes one in
// developer mode; under Wine, which makes none, a Linux one shows as one.
void MakeFolderLink(const fs::path& target, const fs::path& link) {
    if (!::CreateSymbolicLinkW(
            Long(link).c_str(), target.wstring().c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        !Exists(link)) {
        RunOnLinux(L"/bin/ln -s", {target, link}, false);
    }
    const DWORD attributes = ::GetFileAttributesW(Long(link).c_str());
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

class WindowsOnly : public test::AppFixture {
protected:
    // The links go first, not their folders, so that the tree is not removed
    // through them; then what only a "\\?\" path reaches takes its name back.
    void TearDown() override {
        for (const fs::path& link : links) {
            if (!::RemoveDirectoryW(Long(link).c_str())) {
                RunOnLinux(L"/bin/rm", {link}, true);
            }
        }
        for (const auto& [made, named] : renamed) {
            ::MoveFileW(Long(named).c_str(), Long(made).c_str());
        }
    }

    void DeleteSourcesAndSubfolders() {
        options.ProcessSubfolders = options.DeleteSourceSubfolders = 1;
        options.DeleteSourceFiles = 2;
    }

    // Moves the folder S/`name` to Moved and puts a link to Victim there.
    void SwapForLink(const std::string& name) {
        fs::rename(tree / ("S/" + name), tree / "Moved");
        links.push_back(tree / ("S/" + name));
        MakeFolderLink(tree / "Victim", links.back());
    }

    // Renames what is `made` by its "\\?\" path, which reaches names that
    // Windows itself does not.
    fs::path Rename(const std::string& made, const std::string& name) {
        renamed.emplace_back(tree / made, tree / name);
        EXPECT_TRUE(::MoveFileW(Long(tree / made).c_str(), Long(tree / name).c_str())) << name;
        return tree / name;
    }

    std::vector<fs::path> links;
    std::vector<std::pair<fs::path, fs::path>> renamed;
};

TEST_F(WindowsOnly, NamesThatWindowsKeepsForDevicesOrCannotReachAreInvalid) {
    for (const char* name : {"CON", "con.txt", "Aux.jpg", "NUL", "COM1.jpg", "lpt9", "CON .jpg",
                             "a.", "a ", "a:b", "a\\b", "a/b", "tab\there"}) {
        EXPECT_FALSE(files.IsValidName(name)) << name;
    }
    for (const char* name : {"CONX.jpg", "COM0", "LPT10.jpg", "xCON", ".jpg", "a.b"}) {
        EXPECT_TRUE(files.IsValidName(name)) << name;
    }
}

TEST_F(WindowsOnly, AJpgNameKeptForADeviceIsReportedAndItsSourceKept) {
    options.ExtractRecorded = options.ExtractEdited = options.ExtractComment = 0;
    options.ExtractAlbumNumber = options.ExtractShotNumber = options.ExtractQuality = 0;
    options.ExtractLensOrientation = options.ExtractFlash = options.ExtractShutter = 0;
    options.JPGNameFormat = 0;
    options.DeviceName = "CON";
    options.DeleteSourceFiles = 1;
    const fs::path a = Picture("a.PMP");
    Convert();
    EXPECT_EQ(test::FileNames(tree / "S"), Names{"a.PMP"});
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_EQ(user.Prompts,
              Names{Problem("Unable to convert source file", a.string(),
                            "The name \"CON.jpg\" is kept by the system for a device")});
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
    options.ProcessSubfolders = options.DeleteSourceSubfolders = options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_GT(written.at(0).size(), 300U);
    EXPECT_EQ(test::ReadBytes(written.at(0)), payload);
    EXPECT_FALSE(fs::exists(picture));
    EXPECT_TRUE(fs::is_empty(tree / "S"));
    EXPECT_TRUE(user.Messages.empty());
}

// A subfolder moved away between its listing and its entering, and a
// link to a folder elsewhere or another folder put in its place.
struct Swap {
    const char* Name;
    int AtEntering;  // the first entering is its conversion, the second its test for emptiness
    bool ByLink;
};

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
            if (swap.ByLink) {
                SwapForLink("PIC00003");
            } else {
                fs::rename(tree / "S/PIC00003", tree / "Moved");
                fs::rename(tree / "Victim", tree / "S/PIC00003");
            }
        }
    };
    DeleteSourcesAndSubfolders();
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
}

INSTANTIATE_TEST_SUITE_P(BetweenListingAndEntering, SwappedFolders,
                         ::testing::Values(Swap{"ByALinkBeforeItsConversion", 1, true},
                                           Swap{"ByAnotherFolderBeforeItsConversion", 1, false},
                                           Swap{"ByALinkBeforeItsEmptinessTest", 2, true}),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST_F(WindowsOnly, AFolderSwappedForALinkJustBeforeItIsDeletedIsKept) {
    // Found empty but for a subfolder made after the walk, which goes first;
    // just before that, the folder is moved away and a link put there.
    Picture("PIC00003/PSN00002.PMP");
    tree.Folder("Victim/Hollow");
    int entered = 0;
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && ++entered == 2) {
            tree.Folder("S/PIC00003/Late");
        } else if (listed.Name == "Late" && ++entered == 4) {
            SwapForLink("PIC00003");
        }
    };
    DeleteSourcesAndSubfolders();
    Convert();
    EXPECT_TRUE(fs::is_directory(tree / "Victim/Hollow"));
    EXPECT_TRUE(test::FileNames(tree / "Moved").empty());
    EXPECT_EQ(user.Prompts,
              Names{Problem("Unable to delete source subfolder", (tree / "S/PIC00003").string(),
                            "It was replaced while the conversion ran")});
}

TEST_F(WindowsOnly, NamesThatWindowsCannotReachAreReportedAndWhatTheyHoldIsKept) {
    // Made by another system: Windows would take AUX for a device, and look
    // for "trail" and "space".
    Picture("A/PSN00001.PMP");
    Picture("B/PSN00002.PMP");
    Picture("x.PMP");
    Picture("A/t/PSN00003.PMP");
    Picture("s/PSN00003.PMP");
    const fs::path aux = Rename("S/x.PMP", "S/AUX.PMP");
    const fs::path trail = Rename("S/A/t", "S/A/trail."), space = Rename("S/s", "S/space ");
    DeleteSourcesAndSubfolders();
    // Into O itself: a fault that converts them makes no output folder by
    // those names, which would hang the tree's removal.
    options.ProcessSubfolders = 2;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(counters.NumberOfSkippedFolders, 2);
    const std::string unreachable = "Windows cannot reach a file or folder of this name";
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{Problem("Unable to convert source file", aux.string(), unreachable),
                     Problem("Unable to read source folder", trail.string(), unreachable),
                     Problem("Unable to read source folder", space.string(), unreachable)}));
    EXPECT_TRUE(Exists(aux) && Exists(trail / "PSN00003.PMP") && Exists(space / "PSN00003.PMP"));
    // A holds what was not read, so it stays; B was emptied.
    EXPECT_TRUE(test::FileNames(tree / "S/A").empty());
    EXPECT_FALSE(fs::exists(tree / "S/B"));
}

// A folder flush that the system refuses, after every new file was flushed.
struct RefusedFlush {
    const char* Name;
    bool Network;
    unsigned long Error;
    bool SourcesKept;
};

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
    const PROCESS_INFORMATION killed = Start(
        L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowsOutputFiles.AFileNotYetNamed*");
    ::SetEnvironmentVariableW(L"OSTREL_TEST_KILLED_IN", nullptr);
    ASSERT_EQ(::WaitForSingleObject(killed.hProcess, 30'000), WAIT_OBJECT_0);
    DWORD status = 0;
    ::GetExitCodeProcess(killed.hProcess, &status);
    ::CloseHandle(killed.hThread);
    ::CloseHandle(killed.hProcess);
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
        EXPECT_EQ((std::array{medium.StableIdentity, medium.WideIds, medium.Remote}),
                  (std::array{row.Stable, row.Wide, row.Remote}))
            << Utf8(row.FileSystem) << " remote " << row.Remote << " removable " << row.Removable;
    }
}

// The settings of a test application, in the registry where the Windows
// QSettings keeps them, removed after each test.
class WindowsSettings : public ::testing::Test {
protected:
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Test 0.0");
    }

    void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        EXPECT_EQ(
            ::RegSetKeyValueW(HKEY_CURRENT_USER, Main, name, type, data, static_cast<DWORD>(size)),
            ERROR_SUCCESS);
    }

    static constexpr const wchar_t* Main = L"Software\\Ostrel\\Ostrel Test 0.0\\Main";
    const std::string app = "Ostrel Test 0.0";
    RegistrySettingsStore store;
};

TEST_F(WindowsSettings, KeptWhereTheWindowsQSettingsKeepsThem) {
    store.Write(app, "Main", "SourcePath", "C:\\Bilder \xC3\xBC");
    wchar_t value[64] = {};
    DWORD bytes = sizeof value;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, Main, L"SourcePath", RRF_RT_REG_SZ, nullptr, value,
                             &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), L"C:\\Bilder \u00FC");
    EXPECT_EQ(store.Read(app, "Main", "SourcePath", "none"), "C:\\Bilder \xC3\xBC");
    EXPECT_EQ(store.Read(app, "Main", "OutputPath", "none"), "none");
}

TEST_F(WindowsSettings, NumbersAndUnexpandedTextsReadAsTheWindowsQSettingsReadsThem) {
    const DWORD format = 0, minus = 0xFFFFFFFF;
    const ULONGLONG big = 5000000000;
    const wchar_t expand[] = L"@@%USERPROFILE%\\Pictures";
    Set(L"JPGNameFormat", REG_DWORD, &format, sizeof format);
    Set(L"Minus", REG_DWORD, &minus, sizeof minus);
    Set(L"Big", REG_QWORD, &big, sizeof big);
    Set(L"SourcePath", REG_EXPAND_SZ, expand, sizeof expand);
    Set(L"Bytes", REG_BINARY, "\x31\x00", 2);
    EXPECT_EQ(store.Read(app, "Main", "Minus", "none"), "-1");
    EXPECT_EQ(store.Read(app, "Main", "Big", "none"), "5000000000");
    EXPECT_EQ(store.Read(app, "Main", "Bytes", "none"), "none");
    const StoredOptions loaded = LoadOptions(store, app);
    EXPECT_EQ(loaded.JPGNameFormat, 0);
    EXPECT_EQ(loaded.SourcePath, "@%USERPROFILE%\\Pictures");
}

}  // namespace
}  // namespace ostrel
