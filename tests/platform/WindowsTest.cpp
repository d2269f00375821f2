// What only Windows has: its file names, drive roots, paths beyond 260
// characters, the registry, and the first-run folders.

#include "AppFixture.h"
#include "RegistrySettingsStore.h"
#include "Settings.h"

// After the services' headers, whose names windows.h would take for macros.
#include <windows.h>

namespace ostrel {
namespace {

using test::Names;

class WindowsOnly : public test::AppFixture {};

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
