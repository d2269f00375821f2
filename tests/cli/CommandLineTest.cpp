// ostrel-convert: its arguments in-process, and whole runs in a subprocess with
// the settings folder pinned to a temporary one.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "CommandLine.h"
#include "Doubles.h"
#include "Messages.h"
#include "Settings.h"
#include "TempTree.h"

namespace ostrel {
namespace {

struct Result {
    int Status = -1;
    std::string Out, Err;
};

// The command that runs ostrel-convert with, where settings live in files,
// HOME and XDG_CONFIG_HOME in `home`. The tests' arguments hold no quote.
std::string Command(const test::Names& arguments, const fs::path& home) {
#ifdef _WIN32
    // cmd.exe takes the first and last quote of the whole line away.
    const char q = '"';
    std::string command = "\"\"" OSTREL_CONVERT "\"";
    (void)home;  // the settings are in the registry
#else
    const char q = '\'';
    std::string command = "HOME='" + home.string() + "' XDG_CONFIG_HOME='" + home.string() +
                          "/.config' '" OSTREL_CONVERT "'";
#endif
    for (const std::string& argument : arguments) {
        command += std::string(" ") + q + argument + q;
    }
    return command;
}

// Runs it with its standard output in `home` (or `out`) and its standard
// error in `home`.
Result RunConvert(const test::Names& arguments, const fs::path& home, fs::path out = {}) {
    const char q = test::Windows ? '"' : '\'';
    const bool own = out.empty();  // else not read back: /dev/full reads as endless zeros
    if (own) {
        out = home / "out";
    }
    const std::string command = Command(arguments, home) + " >" + q + out.string() + q + " 2>" + q +
                                (home / "err").string() + q + (test::Windows ? "\"" : "");
    int status = std::system(command.c_str());
#ifndef _WIN32
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    const test::Bytes printed = own ? test::ReadBytes(out) : test::Bytes(),
                      err = test::ReadBytes(home / "err");
    return {status, {printed.begin(), printed.end()}, {err.begin(), err.end()}};
}

#ifndef _WIN32
// Starts it with its standard output on a pipe of one page, which it fills
// after a few paths and then waits on until it is read (or, `closed`, on a
// pipe no one reads) and its standard error in `home`. Gives its process id
// and the pipe's reading end.
std::pair<pid_t, int> Start(const test::Names& arguments, const fs::path& home, bool closed) {
    int ends[2] = {-1, -1};
    EXPECT_EQ(::pipe(ends), 0);
    ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
    if (closed) {
        ::close(ends[0]);
    }
    const std::string command =
        "exec env " + Command(arguments, home) + " 2>'" + (home / "err").string() + "'";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(ends[1], 1);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(ends[1]);
    return {pid, ends[0]};
}

// What comes through the pipe until a line is complete (or until its end).
std::string ReadFrom(int pipe, bool line) {
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while ((!line || text.find('\n') == std::string::npos) &&
           (got = ::read(pipe, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

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

    // Without options, the first-run defaults; --from-settings, every choice
    // the window stored, under what the line says.
    EXPECT_EQ(Parse("a b").Command->Options, (StoredOptions{.SourcePath = "a", .OutputPath = "b"}));
    StoredOptions stored = expected;
    stored.SourcePath = "a";
    stored.OutputPath = "b";
    stored.AddSerialNumber = 0;
    SaveOptions(store, "Ostrel 2.8", stored);
    EXPECT_EQ(Parse("--from-settings a b").Command->Options, stored);
    stored.ProcessSubfolders = 0;
    stored.JPGNameFormat = 2;
    EXPECT_EQ(Parse("--from-settings --subfolders none --format 2.x-long a b").Command->Options,
              stored);

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

#ifndef _WIN32  // signals, pipes, /dev/full and FIFOs
TEST(Signals, CtrlCFinishesThePictureInHandAndTheNextRunConvertsTheRestOnce) {
    test::TempTree tree;
    constexpr int Pictures = 300;
    const auto writePictures = [&tree] {
        for (int shot = 1; shot <= Pictures; ++shot) {
            char name[32];
            std::snprintf(name, sizeof name, "S/PSN%05d.PMP", shot);
            tree.Write(name, test::PmpFile({}, {0xFF, 0xD8}));
        }
    };
    writePictures();
    const fs::path home = tree.Folder("home"), out = tree.Folder("O");
    const test::Names arguments{"--print", "--delete-files", "sony", (tree / "S").string(),
                                out.string()};
    const auto [pid, pipe] = Start(arguments, home, false);
    std::string printed = ReadFrom(pipe, true);  // it has started, and soon waits on the pipe
    ::kill(pid, SIGINT);
    printed += ReadFrom(pipe, false);
    EXPECT_EQ(ExitStatus(pid), 130);

    // Each picture it names is whole under its name, and its source gone.
    std::istringstream lines(printed);
    int converted = 0;
    std::string line;
    for (; std::getline(lines, line) && line.starts_with(out.string()); ++converted) {
        EXPECT_EQ(test::ReadBytes(line), (test::Bytes{0xFF, 0xD8}));
        const std::string shot = line.substr(line.find("{VO=") + 4, 3);
        EXPECT_FALSE(fs::exists(tree / ("S/PSN00" + shot + ".PMP"))) << shot;
    }
    ASSERT_LT(converted, Pictures);
    EXPECT_EQ(test::FileNames(out).size(), static_cast<std::size_t>(converted));  // nothing else
    EXPECT_EQ(line + "\n" + std::string(std::istreambuf_iterator<char>(lines), {}),
              std::to_string(converted) + " PMP file" + (converted == 1 ? "" : "s") +
                  " successfully converted to JPG.\n\n" + "The conversion was stopped: " +
                  std::to_string(Pictures - converted) + " PMP files not reached.\n");

    const Result rest = RunConvert(
        {"--quiet", "--delete-files", "sony", (tree / "S").string(), out.string()}, home);
    EXPECT_EQ(rest.Status, 0) << rest.Err;
    EXPECT_EQ(test::FileNames(out).size(), static_cast<std::size_t>(Pictures));
    for (const std::string& name : test::FileNames(out)) {
        EXPECT_EQ(name.find("{SN="), std::string::npos) << name;  // none converted twice
    }

    // SIGTERM and SIGHUP stop it the same way, each with its own status.
    for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
        writePictures();
        const auto [child, output] = Start(arguments, home, false);
        ReadFrom(output, true);
        ::kill(child, signal);
        const std::string told = ReadFrom(output, false);
        EXPECT_EQ(ExitStatus(child), status) << signal;
        EXPECT_NE(told.find("PMP files not reached.\n"), std::string::npos) << told;
    }
}

TEST_F(CommandLineTest, AStandardOutputThatCannotBeWrittenStopsTheRunAndFails) {
    const std::string summary =
        "1 PMP file successfully converted to JPG.\n\n"
        "The conversion was stopped: 2 PMP files not reached.\n";
    const test::Names arguments{"--print", "--subfolders=matching", "--delete-files=pmp",
                                (tree / "S").string(), tree.Folder("O").string()};
    const Result result = RunConvert(arguments, tree.Folder("home"), "/dev/full");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, summary +
                              "ostrel-convert: Unable to write to standard output: No space left "
                              "on device.\n");
    // The one picture converted, and its source deleted; the rest untouched.
    EXPECT_EQ(test::FileNames(tree / "O").size(), 1U);
    EXPECT_EQ(test::FileNames(tree / "S"), test::Names{"PSN00001.PMX"});
    EXPECT_EQ(test::FileNames(tree / "S/PIC00002").size(), 2U);

    // Into a pipe that no one reads any more.
    fs::remove_all(tree / "O");
    tree.Folder("O");
    tree.Write("S/PSN00001.PMP", test::PmpFile({}, test::EveryByte()));
    EXPECT_EQ(ExitStatus(Start(arguments, tree.Folder("home"), true).first), 1);
    const test::Bytes err = test::ReadBytes(tree / "home/err");
    EXPECT_EQ(std::string(err.begin(), err.end()),
              summary + "ostrel-convert: Unable to write to standard output: Broken pipe.\n");
}

TEST(Samples, ANameTooLongLosesTheEndOfItsCommentAlsoInADryRun) {
    test::TempTree tree;
    fs::copy(fs::path(OSTREL_SAMPLES) / "PIC00003", tree / "PIC00003");
    const fs::path out = tree.Folder("O");
    // 255 bytes, "…" taking three.
    const std::string name =
        "{Date=1999-07-04 @14-05-09}{Device=Sony DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}"
        "{Compression=Standard}}{Batch=003}{Volume=007}{Comment=[At Sign]home [Pound Sign]1 "
        "[Left Curly Bracket]x[Equals Sign]y[Right Curly Bracket][Semicolon] [Tilde][Pipe "
        "S\xE2\x80\xA6}.jpg";
    for (const char* run : {"--dry-run", "--quiet"}) {
        const Result result = RunConvert(
            {run, "--print", "--format", "2.x-long", (tree / "PIC00003").string(), out.string()},
            tree.Folder("home"));
        EXPECT_EQ(result.Status, 0) << result.Err;
        EXPECT_EQ(result.Out,
                  (out / name).string() + "\n1 PMP file successfully converted to JPG.\n");
    }
    EXPECT_EQ(test::FileNames(out), test::Names{name});
}

TEST_F(CommandLineTest, ASettingsFileThatCannotBeReadIsNeitherReadNorWaitedOn) {
    const std::string relative = "home/.config/Ostrel/Ostrel 2.8.conf";
    const fs::path settings = tree.Folder("home/.config/Ostrel") / "Ostrel 2.8.conf";
    const std::string stored = "[Main]\nProcessSubfolders=1\n";  // 3 files, were it read
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"It is not a regular file", [&] { ASSERT_EQ(::mkfifo(settings.c_str(), 0666), 0); }},
        {"It is not a settings file", [&] { tree.Write(relative, stored + "["); }},
        // 3 GB of one once ran ostrel-convert out of memory; more than 1 MiB
        // is not read at all.
        {"It is larger than 1 MiB, more than any settings file",
         [&] { fs::resize_file(tree.Write(relative, stored), (1 << 20) + 1); }},
    };
    for (const auto& [why, make] : rows) {
        make();
        const Result result = Convert({"--from-settings", "--quiet"});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "ostrel-convert: Unable to read the settings file \"" +
                                  settings.string() + "\" due to the following problem: " + why +
                                  ". The first-run options are used.\n");
        EXPECT_EQ(result.Out, "1 PMP file successfully converted to JPG.\n");
        fs::remove(settings);
        fs::remove_all(tree / "O");
    }
}
#endif

#ifndef _WIN32  // symbolic links; read-only files and folders as POSIX has them
TEST(ExitStatus, IsOneForEveryKindOfProblemARunStepsPast) {
    test::TempTree tree;
    const test::Bytes picture = test::PmpFile({}, test::EveryByte());
    tree.Write("Locked/PSN00001.PMP", picture);  // a deletion that fails, even for root
    test::MakeReadOnly(tree / "Locked/PSN00001.PMP");
    tree.Write("Linked/PSN00002.PMP", picture);  // files kept below a link
    tree.Write("Elsewhere/PSN00003.PMP", picture);
    ::symlink((tree / "Elsewhere").c_str(), (tree / "Linked/link").c_str());
    tree.Write("Hollow/PSN00004.PMP", picture);  // an emptied subfolder left
    test::MakeReadOnly(tree.Folder("Hollow/Empty"));
    tree.Write("Written/PSN00005.PMP", picture);  // a picture left in the output folder
    tree.Write("Written/Out/PSN00006.PMP", picture);
    const std::pair<const char*, const char*> cases[] = {
        {"Locked", "Unable to delete source file \""},
        {"Linked", "Unable to delete source files in \""},
        {"Hollow", "Unable to delete source subfolder \""},
        {"Written", "Unable to convert source folder \""}};
    for (const auto& [source, report] : cases) {
        const Result result = RunConvert(
            {"--quiet", "--subfolders", "matching", "--delete-files", "pmp",
             "--delete-empty-subfolders", (tree / source).string(),
             tree.Folder(std::string(source) == "Written" ? "Written/Out" : "O").string()},
            tree.Folder("home"));
        EXPECT_EQ(result.Status, 1) << source;
        // One report, set apart from what may follow by an empty line.
        EXPECT_TRUE(result.Err.starts_with(report) &&
                    result.Err.ends_with(".\n\nRemainder of conversion will proceed normally.\n\n"))
            << result.Err;
    }
}
#endif

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
