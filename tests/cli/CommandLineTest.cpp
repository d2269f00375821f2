// ostrel-convert: its arguments in-process, and whole runs in a subprocess with
// the settings folder pinned to a temporary one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "CommandLine.h"
#include "ConversionRequest.h"
#include "FrontendDoubles.h"
#include "Messages.h"
#include "TempTree.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs ostrel-convert with HOME and XDG_CONFIG_HOME in `home`.
Result RunConvert(const std::vector<std::string>& arguments, const fs::path& home) {
    const fs::path out = home / "stdout", err = home / "stderr";
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, STDOUT_FILENO);
        ::dup2(e, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(OSTREL_CONVERT)};
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(OSTREL_CONVERT, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

// Every file below `root` with its bytes, by relative path.
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const fs::path& root) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files[fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : "")] =
            entry.is_regular_file() ? test::ReadBytes(entry.path()) : std::vector<std::uint8_t>{};
    }
    return files;
}

class CommandLineTest : public ::testing::Test {
  protected:
    CommandLineTest() {
        tree.Folder("home");
        tree.Folder("O");
        test::Header header;
        header.Comment = "a:b";
        tree.Write("S/PSN00001.PMP", test::PmpFile(header, test::EveryByte()));
        tree.Write("S/PSN00001.PMX", "x");
        tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile(header, {0xFF, 0xD8}));
        tree.Write("S/PIC00002/PSN00002.PMP", test::PmpFile(header, {0xFF, 0xD9}));
    }

    Result Convert(std::vector<std::string> arguments) {
        arguments.push_back((tree / "S").string());
        arguments.push_back((tree / "O").string());
        return RunConvert(arguments, tree / "home");
    }

    cli::Parsed Parse(const std::vector<std::string>& arguments) {
        return cli::ParseCommandLine(arguments, store);
    }

    test::TempTree tree;
    test::MemorySettingsStore store;
};

TEST_F(CommandLineTest, EveryOptionMapsToTheWindowsOption) {
    const cli::Parsed parsed = Parse({"--subfolders",
                                      "top",
                                      "--delete-files",
                                      "sony",
                                      "--delete-empty-subfolders",
                                      "--format",
                                      "1.x",
                                      "--serial",
                                      "always",
                                      "--revised",
                                      "always",
                                      "--illegal",
                                      "remove",
                                      "--omit",
                                      "recorded,album,shot",
                                      "--omit",
                                      "lens",
                                      "--omit",
                                      "flash,shutter,quality,revised,comment,device",
                                      "--device-name",
                                      "Mine",
                                      "--dry-run",
                                      "--print",
                                      "--quiet",
                                      "src",
                                      "out"});
    ASSERT_TRUE(parsed.Command);
    const ConversionOptions& o = parsed.Command->Options;
    ConversionOptions expected;
    expected.SourcePath = "src";
    expected.OutputPath = "out";
    expected.ProcessSubfolders = 2;
    expected.DeleteSourceFiles = 2;
    expected.DeleteSourceSubfolders = 1;
    expected.JPGNameFormat = 0;
    expected.SerialNumberMode = expected.ExtractEditedDifferent = expected.IllegalCharacters = 2;
    expected.ExtractRecorded = expected.ExtractAlbumNumber = expected.ExtractShotNumber = 0;
    expected.ExtractLensOrientation = expected.ExtractFlash = expected.ExtractShutter = 0;
    expected.ExtractQuality = expected.ExtractEdited = expected.ExtractComment = 0;
    expected.AddDeviceName = 0;
    expected.DeviceName = "Mine";
    EXPECT_EQ(o, expected);
    EXPECT_TRUE(parsed.Command->DryRun && parsed.Command->Print && parsed.Command->Quiet);

    const cli::Parsed plain = Parse({"src", "out"});
    ConversionOptions defaults;
    defaults.SourcePath = "src";
    defaults.OutputPath = "out";
    EXPECT_EQ(plain.Command->Options, defaults);
    EXPECT_EQ(Parse({"--format", "2.x-long", "a", "b"}).Command->Options.JPGNameFormat, 2);
    EXPECT_EQ(Parse({"--subfolders", "matching", "a", "b"}).Command->Options.ProcessSubfolders, 1);
}

TEST_F(CommandLineTest, BadUsageIsStatusTwoWithTheReasonOnStandardError) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"only-one"},
                                               {"--format", "3.x", "a", "b"},
                                               {"--omit", "colour", "a", "b"},
                                               {"--nonsense", "a", "b"},
                                               {"a", "b", "c"}}) {
        const cli::Parsed parsed = Parse(arguments);
        EXPECT_FALSE(parsed.Command) << arguments[0];
        EXPECT_EQ(parsed.ExitStatus, 2) << arguments[0];
        EXPECT_TRUE(parsed.Output.empty());
        EXPECT_EQ(parsed.Error.rfind("ostrel-convert: ", 0), 0U) << parsed.Error;
    }
    const cli::Parsed help = Parse({"--help"});
    EXPECT_EQ(help.ExitStatus, 0);
    EXPECT_NE(help.Output.find("--delete-empty-subfolders"), std::string::npos);
    EXPECT_EQ(Parse({"--version"}).Output, "ostrel-convert 2.08.0014\n");
}

TEST_F(CommandLineTest, FromSettingsStartsFromTheWindowsOptionsAndTheLineOverrides) {
    store.Values[{"Ostrel 2.8", "Main", "JPGNameFormat"}] = "0";
    store.Values[{"Ostrel 2.8", "Main", "ProcessSubfolders"}] = "1";
    store.Values[{"Ostrel 2.8", "Advanced", "DeviceName"}] = "Stored";
    const ConversionOptions o =
        Parse({"--from-settings", "--subfolders", "none", "a", "b"}).Command->Options;
    EXPECT_EQ(o.JPGNameFormat, 0);
    EXPECT_EQ(o.ProcessSubfolders, 0);
    EXPECT_EQ(o.DeviceName, "Stored");
    EXPECT_EQ(o.SourcePath, "a");
    EXPECT_EQ(Parse({"a", "b"}).Command->Options.DeviceName, "Sony DSC-F1");
}

TEST_F(CommandLineTest, ConvertsAndPrintsWhatItWrote) {
    const Result result = Convert({"--subfolders", "matching", "--print", "--format", "1.x"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    const std::string first = (tree / "O").string() +
                              "/1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms Standard "
                              "PSN001 a[Colon]b.jpg";
    EXPECT_EQ(result.Out.substr(0, first.size() + 1), first + "\n");
    EXPECT_NE(result.Out.find((tree / "O/PIC00002").string() + "/1999-07-04"), std::string::npos);
    EXPECT_EQ(result.Out.substr(result.Out.size() - 43),
              "3 PMP files successfully converted to JPG.\n");
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(test::ReadBytes(first), test::EveryByte());
}

TEST_F(CommandLineTest, ExitStatusTellsWhatHappened) {
    Result refused = RunConvert({(tree / "none").string(), (tree / "O").string()}, tree / "home");
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(refused.Err, "The PMP source folder you specified doesn't exist.\n");
    EXPECT_EQ(refused.Out, "");
    refused = RunConvert({(tree / "O").string(), (tree / "O").string()}, tree / "home");
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(refused.Err, "The PMP source folder you specified does not contain any PMP files.\n");

    const auto bad = tree.Write("S/PSN00009.PMP", "short");
    const Result partly = Convert({"--quiet"});
    EXPECT_EQ(partly.Status, 1);
    EXPECT_EQ(partly.Out,
              "1 PMP file successfully converted to JPG.\n\n1 PMP file could not be converted.\n");
    EXPECT_NE(partly.Err.find("Unable to convert source file \"" + bad.string() +
                              "\"\n"
                              "due to the following problem: "),
              std::string::npos);
}

TEST_F(CommandLineTest, DryRunChangesNothingAndPlansNamesThatAvoidEachOther) {
    const auto before = Snapshot(tree.Root());
    const Result result =
        Convert({"--dry-run", "--print", "--subfolders", "top", "--omit", "shot,album",
                 "--delete-files", "sony", "--delete-empty-subfolders"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    auto after = Snapshot(tree.Root());
    after.erase("home/stdout");
    after.erase("home/stderr");
    auto expected = before;
    expected.erase("home/stdout");
    expected.erase("home/stderr");
    EXPECT_EQ(after, expected);
    const std::string base = (tree / "O").string() + "/{DT=1999-07-04 @14-05-09}";
    const std::string tail =
        "{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}"
        "{CO=a[Colon]b}.jpg\n";
    EXPECT_EQ(result.Out, base + tail + base + "{SN=002}" + tail + base + "{SN=003}" + tail +
                              "3 PMP files successfully converted to JPG.\n\n"
                              "2 JPG files saved with incremented serial numbers.\n");
    EXPECT_EQ(result.Err, "Dry run: nothing on disk was changed.\n");
}

TEST_F(CommandLineTest, DryRunReportsANameTooLongForTheFileSystem) {
    const Result result = Convert({"--dry-run", "--quiet", "--device-name", std::string(300, 'x')});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("due to the following problem: File name too long."),
              std::string::npos);
}

TEST_F(CommandLineTest, GivesTheSameFilesAsTheWindowsRequest) {
    ConversionOptions options;
    options.SourcePath = (tree / "S").string();
    options.OutputPath = tree.Folder("W").string();
    options.ProcessSubfolders = 1;
    options.JPGNameFormat = 2;
    options.ExtractShotNumber = 0;
    test::FaultyFileSystem files;
    test::RecordingUser user;
    RunConversionRequest(files, user, options);
    ASSERT_EQ(user.Messages.size(), 2U);

    const Result result =
        Convert({"--subfolders", "matching", "--format", "2.x-long", "--omit", "shot"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(Snapshot(tree / "O"), Snapshot(tree / "W"));
    EXPECT_EQ(result.Out, messages::PlainLines(user.Messages[1].Prompt) + "\n");
}

}  // namespace
}  // namespace ostrel
