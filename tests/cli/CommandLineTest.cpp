// ostrel-convert: its arguments in-process, and whole runs in a subprocess with
// the settings folder pinned to a temporary one.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>

#include <fstream>
#include <iterator>
#include <sstream>

#include "CommandLine.h"
#include "Doubles.h"
#include "Messages.h"
#include "TempTree.h"

namespace ostrel {
namespace {

struct Result {
    int Status = -1;
    std::string Out, Err;
};

// Runs ostrel-convert with its output in `home` and, where settings live in
// files, HOME and XDG_CONFIG_HOME there. The tests' arguments hold no quote.
Result RunConvert(const test::Names& arguments, const fs::path& home) {
#ifdef _WIN32
    // cmd.exe takes the first and last quote of the whole line away.
    const char q = '"';
    std::string command = "\"\"" OSTREL_CONVERT "\"";
#else
    const char q = '\'';
    std::string command = "HOME='" + home.string() + "' XDG_CONFIG_HOME='" + home.string() +
                          "/.config' '" OSTREL_CONVERT "'";
#endif
    for (const std::string& argument : arguments) {
        command += std::string(" ") + q + argument + q;
    }
    command += std::string(" >") + q + (home / "out").string() + q + " 2>" + q +
               (home / "err").string() + q + (test::Windows ? "\"" : "");
    int status = std::system(command.c_str());
#ifndef _WIN32
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    const test::Bytes out = test::ReadBytes(home / "out"), err = test::ReadBytes(home / "err");
    return {status, {out.begin(), out.end()}, {err.begin(), err.end()}};
}

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        const test::Header header{.Comment = "a:b"};
        tree.Write("S/PSN00001.PMP", test::PmpFile(header, test::EveryByte()));
        tree.Write("S/PSN00001.PMX", "x");
        tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile(header, {0xFF, 0xD8}));
        tree.Write("S/PIC00002/PSN00002.PMP", test::PmpFile(header, {0xFF, 0xD9}));
    }

    Result Convert(test::Names arguments) {
        arguments.push_back((tree / "S").string());
        arguments.push_back(tree.Folder("O").string());
        return RunConvert(arguments, tree.Folder("home"));
    }

    // Parses the words of `line`.
    cli::Parsed Parse(const std::string& line) {
        std::istringstream in(line);
        return cli::ParseCommandLine({std::istream_iterator<std::string>(in), {}}, store);
    }

    test::TempTree tree;
    test::MemorySettingsStore store;
};

TEST_F(CommandLineTest, EveryOptionMapsToTheWindowsOptionAndBadUsageIsStatusTwo) {
    const cli::Parsed parsed = Parse(
        "--subfolders top --delete-files sony --delete-empty-subfolders --format 1.x --serial "
        "always --revised always --illegal remove --omit recorded,album,shot --omit lens --omit "
        "flash,shutter,quality,revised,comment,device --device-name Mine --dry-run --print "
        "--quiet --file-time now --exif src out");
    EXPECT_TRUE(Parse("--print0 a b").Command->Print0);
    ASSERT_TRUE(parsed.Command);
    StoredOptions expected;
    expected.SourcePath = "src";
    expected.OutputPath = "out";
    expected.ProcessSubfolders = expected.DeleteSourceFiles = 2;
    expected.DeleteSourceSubfolders = 1;
    expected.JPGNameFormat = 0;
    expected.SerialNumberMode = expected.ExtractEditedDifferent = expected.IllegalCharacters = 2;
    expected.ExtractRecorded = expected.ExtractAlbumNumber = expected.ExtractShotNumber = 0;
    expected.ExtractLensOrientation = expected.ExtractFlash = expected.ExtractShutter = 0;
    expected.ExtractQuality = expected.ExtractEdited = expected.ExtractComment = 0;
    expected.AddDeviceName = 0;
    expected.DeviceName = "Mine";
    EXPECT_EQ(parsed.Command->Options, expected);
    EXPECT_TRUE(parsed.Command->DryRun && parsed.Command->Print && parsed.Command->Quiet);
    EXPECT_TRUE(parsed.Command->Times == FileTime::Now && parsed.Command->Exif);
    EXPECT_TRUE(Parse("a b").Command->Times == FileTime::Recorded && !Parse("a b").Command->Exif);
    EXPECT_EQ(Parse("--format 2.x-long a b").Command->Options.JPGNameFormat, 2);

    // Without options, the first-run defaults; --from-settings, the window's.
    EXPECT_EQ(Parse("a b").Command->Options, (StoredOptions{.SourcePath = "a", .OutputPath = "b"}));
    store.Values[{"Ostrel 2.8", "Main", "JPGNameFormat"}] = "0";
    store.Values[{"Ostrel 2.8", "Main", "ProcessSubfolders"}] = "1";
    const StoredOptions stored = Parse("--from-settings --subfolders none a b").Command->Options;
    EXPECT_EQ(stored.JPGNameFormat, 0);
    EXPECT_EQ(stored.ProcessSubfolders, 0);

    for (const char* line : {"only-one", "--format 3.x a b", "--omit colour a b", "a b c"}) {
        const cli::Parsed bad = Parse(line);
        EXPECT_FALSE(bad.Command);
        EXPECT_EQ(bad.ExitStatus, 2);
        EXPECT_EQ(bad.Error.rfind("ostrel-convert: ", 0), 0U) << bad.Error;
    }
    EXPECT_NE(Parse("--help").Output.find("--delete-empty-subfolders"), std::string::npos);
    EXPECT_EQ(Parse("--version").Output, "ostrel-convert 2.08.0014\n");
}

TEST_F(CommandLineTest, TellsWhatHappenedByWhatItPrintsAndItsExitStatus) {
    // A dry run changes nothing on disk (the run below finds every source as it was).
    Result result = Convert({"--dry-run", "--print", "--subfolders", "top", "--omit", "shot,album",
                             "--delete-files", "sony", "--delete-empty-subfolders"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_TRUE(fs::is_empty(tree / "O") && fs::exists(tree / "S/PSN00001.PMX"));
    // It lists the names it would write, told apart as the run would.
    const std::string base = (tree / "O" / "").string() + "{DT=1999-07-04 @14-05-09}";
    const std::string tail =
        "{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{CO=a[Colon]b}.jpg\n";
    EXPECT_EQ(result.Out, base + tail + base + "{SN=002}" + tail + base + "{SN=003}" + tail +
                              "3 PMP files successfully converted to JPG.\n\n"
                              "2 JPG files saved with incremented serial numbers.\n");
    EXPECT_EQ(result.Err, "Dry run: nothing on disk was changed.\n");

    result = Convert({"--dry-run", "--device-name", std::string(300, 'x')});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("due to the following problem: " + test::NameTooLong() + "."),
              std::string::npos);

    result = Convert({"--subfolders", "matching", "--print", "--format", "1.x"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    const std::string first = (tree / "O" /
                               "1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms Standard "
                               "PSN001 a[Colon]b.jpg")
                                  .string();
    EXPECT_TRUE(result.Out.starts_with(first + "\n" + (tree / "O/PIC00002").string()));
    EXPECT_TRUE(result.Out.ends_with(".jpg\n3 PMP files successfully converted to JPG.\n"));
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(test::ReadBytes(first), test::EveryByte());

    // For xargs -0: each path ended by a NUL, and the summary out of the way.
    result = Convert({"--print0", "--quiet"});
    EXPECT_EQ(result.Out, (tree / "O" /
                           "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}"
                           "{SP=033ms}{CP=Standard}}{VO=001}{CO=a[Colon]b}.jpg")
                                  .string() +
                              std::string(1, '\0'));
    EXPECT_EQ(result.Err, "1 PMP file successfully converted to JPG.\n");

    const auto bad = tree.Write("S/PSN00009.PMP", "short");
    result = Convert({"--quiet"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out,
              "1 PMP file successfully converted to JPG.\n\n"
              "1 JPG file saved with incremented serial number.\n\n"
              "1 PMP file could not be converted.\n");
    EXPECT_TRUE(result.Err.starts_with("Unable to convert source file \"" + bad.string() + "\"\n"));

    result = RunConvert({(tree / "none").string(), "x"}, tree.Folder("home"));
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Err, "The PMP source folder you specified doesn't exist.\n");
    EXPECT_EQ(result.Out, "");
}

#ifndef _WIN32  // no Exiv2 in the Windows build, no Pillow under Wine
TEST(PhotoLibraries, FindTheRecordedDateInTheFileTimesAndTheExifData) {
    test::TempTree tree;
    const test::Bytes sample = test::ReadBytes(fs::path(OSTREL_SAMPLES) / "PIC00001/PSN00001.PMP");
    const test::Bytes jpeg(sample.begin() + 124, sample.end());
    // Flash 1 and shutter code 500; codes outside the tables.
    test::Header fired{.Comment = "Caf\xE9"}, unknown{.Shutter = 40000, .Flash = 2};
    fired.Revised[3] = 10;
    tree.Write("S/PSN00001.PMP", test::PmpFile(fired, jpeg));
    tree.Write("S/PSN00002.PMP", test::PmpFile(unknown, jpeg));
    tree.Write("S/PSN00003.PMP", test::PmpFile(unknown, {'n', 'o', 't'}));
    const fs::path out = tree.Folder("O");
    const Result result =
        RunConvert({"--exif", "--quiet", "--format", "1.x", "--omit",
                    "recorded,revised,device,album,comment", (tree / "S").string(), out.string()},
                   tree.Folder("home"));
    EXPECT_EQ(result.Status, 1);  // not every picture got the Exif data asked for
    EXPECT_TRUE(result.Out.ends_with("\n\n1 JPG file written without Exif data.\n")) << result.Out;
    const std::string pictures =
        " '" + out.string() + "/PSN001.jpg' '" + out.string() + "/PSN002.jpg'";
    EXPECT_EQ(std::system(("/usr/bin/python3 '" OSTREL_READ_EXIF "'" + pictures + " >'" +
                           (tree / "read").string() + "'")
                              .c_str()),
              0);
    const test::Bytes read = test::ReadBytes(tree / "read");
    const std::string dates = "1999:07:04 14:05:09 | 1999:07:04 14:05:09";
    EXPECT_EQ(std::string(read.begin(), read.end()),
              "SONY | DSC-F1 | 1999:07:04 10:05:09 | " + dates + " | 1 | 1/30 | Café | Café\n" +
                  "SONY | DSC-F1 | 1999:07:04 14:05:09 | " + dates + " | - | - | - | -\n");
}
#endif

TEST(Samples, ConvertToTheExpectedNamesWithTheirPicturesIntact) {
    test::TempTree tree;
    fs::copy(OSTREL_SAMPLES, tree / "S", fs::copy_options::recursive);
    const Result result = RunConvert({"--subfolders", "matching", "--quiet", "--print",
                                      (tree / "S").string(), tree.Folder("O").string()},
                                     tree.Folder("home"));
    EXPECT_EQ(result.Status, 0) << result.Err;
    test::Names names, expected;
    std::istringstream lines(result.Out);
    for (std::string line; std::getline(lines, line) && line.starts_with(tree.Root().string());) {
        const fs::path path(std::u8string(line.begin(), line.end()));  // UTF-8 on every system
        const std::u8string name = fs::relative(path, tree / "O").generic_u8string();
        names.emplace_back(name.begin(), name.end());
        const auto bytes = test::ReadBytes(path);
        EXPECT_TRUE(bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8);  // a JPEG's start
    }
    std::ifstream list(fs::path(OSTREL_SAMPLES) / "expected-names.txt");
    for (std::string line; std::getline(list, line);) {
        expected.push_back(line);
    }
    EXPECT_EQ(test::Sorted(names), expected);
}

}  // namespace
}  // namespace ostrel
