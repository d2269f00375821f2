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

#include "AppFixture.h"
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
// With `taken`, that many bytes of the pipe are full before it starts.
std::pair<pid_t, int> Start(const test::Names& arguments, const fs::path& home, bool closed,
                            std::size_t taken = 0) {
    int ends[2] = {-1, -1};
    EXPECT_EQ(::pipe(ends), 0);
    ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
    if (closed) {
        ::close(ends[0]);
    }
    const std::string filler(taken, '#');
    EXPECT_EQ(::write(ends[1], filler.data(), filler.size()), static_cast<ssize_t>(taken));
    const std::string command =
        "exec env " + Command(arguments, home) + " 2>'" + (home / "err").string() + "'";
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only the test reads: once it has gone, a write fails instead of waiting.
        if (!closed) {
            ::close(ends[0]);
        }
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

// Waits up to ten seconds for `done`, and tells whether it came.
bool Within10Seconds(const std::function<bool()>& done) {
    for (int tenth = 0; tenth < 100; ++tenth) {
        if (done()) {
            return true;
        }
        ::usleep(100'000);
    }
    return done();
}
#endif

// Whole runs in a temporary tree, whose folder "home" holds the settings and
// what a run prints.
class Runs : public ::testing::Test {
protected:
    // Runs it with `arguments`, then the tree's `source` and `output` (made
    // here), printing to `out` if one is given.
    Result Convert(test::Names arguments, const std::string& source = "S",
                   const std::string& output = "O", const fs::path& out = {}) {
        arguments.insert(arguments.end(), {(tree / source).string(), tree.Folder(output).string()});
        return RunConvert(arguments, home, out);
    }

    test::TempTree tree;
    fs::path home = tree.Folder("home");
};

// Three pictures, one of them with its companion, and two more in a subfolder;
// and a settings store for the line's arguments parsed in-process.
class CommandLineTest : public Runs {
protected:
    CommandLineTest() {
        const test::Header header{.Comment = "a:b"};
        tree.Write("S/PSN00001.PMP", test::PmpFile(header, test::EveryByte()));
        tree.Write("S/PSN00001.PMX", "x");
        tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile(header, {0xFF, 0xD8}));
        tree.Write("S/PIC00002/PSN00002.PMP", test::PmpFile(header, {0xFF, 0xD9}));
    }

    // Parses the words of `line`, in a build that offers what `offers` says.
    cli::Parsed Parse(const std::string& line, cli::Offers offers = {.Exif = true}) {
        std::istringstream in(line);
        return cli::ParseCommandLine({std::istream_iterator<std::string>(in), {}}, store, offers);
    }

    test::MemorySettingsStore store;
};

// Every part of a command line, to compare two whole.
auto Parts(const cli::CommandLine& c) {
    return std::tie(c.Options, c.DryRun, c.Times, c.Print, c.Print0, c.Quiet);
}

// A choice other than the first run's in every option that the line can set,
// for the folders "s" and "o".
StoredOptions Unusual() {
    return {.SourcePath = "s",
            .OutputPath = "o",
            .ProcessSubfolders = 2,
            .DeleteSourceFiles = 2,
            .DeleteSourceSubfolders = 1,
            .JPGNameFormat = 0,
            .ExtractRecorded = 0,
            .SerialNumberMode = 2,
            .ExtractAlbumNumber = 0,
            .ExtractShotNumber = 0,
            .ExtractLensOrientation = 0,
            .ExtractFlash = 0,
            .ExtractShutter = 0,
            .ExtractQuality = 0,
            .ExtractEdited = 0,
            .ExtractEditedDifferent = 2,
            .ExtractComment = 0,
            .IllegalCharacters = 2,
            .AddDeviceName = 0,
            .DeviceName = "Mine",
            .WriteExifData = 1,
            .CommentCodePage = 2};  // "Japanese (932)"
}

TEST_F(CommandLineTest, EveryOptionSetsTheWindowsChoice) {
    const cli::Parsed parsed = Parse(
        "--subfolders top --delete-files sony --delete-empty-subfolders --format 1.x --serial "
        "always --revised always --illegal remove --omit recorded,album,shot --omit lens --omit "
        "flash,shutter,quality,revised,comment,device --device-name Mine --dry-run --print "
        "--quiet --file-time now --exif --code-page 932 s o");
    const cli::CommandLine expected{
        .Options = Unusual(), .DryRun = true, .Times = FileTime::Now, .Print = true, .Quiet = true};
    EXPECT_EQ(Parts(parsed.Command.value()), Parts(expected));
}

TEST_F(CommandLineTest, WithoutOptionsTheFirstRunsChoicesAreUsed) {
    const cli::CommandLine expected{.Options = {.SourcePath = "a", .OutputPath = "b"}};
    EXPECT_EQ(Parts(Parse("a b").Command.value()), Parts(expected));
}

TEST_F(CommandLineTest, FromSettingsStartsFromEveryStoredChoiceUnderWhatTheLineSays) {
    StoredOptions stored = Unusual();
    stored.AddSerialNumber = 0;  // which the line cannot set
    SaveOptions(store, "Ostrel 2.8", stored);
    StoredOptions expected = stored;
    expected.SourcePath = "a";
    expected.OutputPath = "b";
    expected.ProcessSubfolders = 0;
    expected.JPGNameFormat = 2;
    const cli::Parsed parsed = Parse("--from-settings --subfolders none --format 2.x-long a b");
    EXPECT_EQ(parsed.Command.value().Options, expected);
    EXPECT_EQ(parsed.Error, "");  // nothing said of the stored folders
}

TEST_F(CommandLineTest, FromSettingsWithoutFoldersTakesTheStoredOnesAndSaysWhich) {
    store.Write("Ostrel 2.8", "Main", "SourcePath", "/cards/one");
    store.Write("Ostrel 2.8", "Main", "OutputPath", "0");  // a folder named as a fallback
    store.Write("Ostrel 2.8", "Main", "JPGNameFormat", "0");
    const cli::Parsed stored = Parse("--from-settings --quiet");
    EXPECT_EQ(stored.Command.value().Options,
              (StoredOptions{.SourcePath = "/cards/one", .OutputPath = "0", .JPGNameFormat = 0}));
    EXPECT_EQ(stored.Error,
              "The stored folders are used: PMP source folder \"/cards/one\", JPG output folder "
              "\"0\".\n");
}

TEST_F(CommandLineTest, FromSettingsWithoutFoldersNeedsBothStored) {
    const std::string noFolders =
        "ostrel-convert: No folders are stored: give SOURCE and OUTPUT.\n";
    EXPECT_EQ(Parse("--from-settings").Error, noFolders);
    store.Write("Ostrel 2.8", "Main", "SourcePath", "/cards/one");
    const cli::Parsed half = Parse("--from-settings --quiet");
    EXPECT_FALSE(half.Command);
    EXPECT_EQ(half.ExitStatus, 2);
    EXPECT_EQ(half.Error, noFolders);
}

TEST_F(CommandLineTest, BadUsageIsStatusTwoAndSaysWhatIsWrong) {
    for (const char* line : {"only-one", "--format 3.x a b", "--omit colour a b", "a b c",
                             "--code-page 1200 a b", "--omit exif a b"}) {
        const cli::Parsed bad = Parse(line);
        EXPECT_FALSE(bad.Command) << line;
        EXPECT_EQ(bad.ExitStatus, 2) << line;
        EXPECT_EQ(bad.Error.rfind("ostrel-convert: ", 0), 0U) << bad.Error;
    }
    // One folder alone is one missing, with or without the stored ones.
    store.Write("Ostrel 2.8", "Main", "SourcePath", "/cards/one");
    store.Write("Ostrel 2.8", "Main", "OutputPath", "/cards/out");
    for (const char* line : {"--from-settings a", "a", ""}) {
        const cli::Parsed missing = Parse(line);
        EXPECT_EQ(missing.ExitStatus, 2) << line;
        EXPECT_EQ(missing.Error, std::string("ostrel-convert: ") + (*line ? "OUTPUT" : "SOURCE") +
                                     " is required\nRun with --help for more information.\n")
            << line;
    }
}

TEST_F(CommandLineTest, HelpListsOnlyWhatTheBuildOffersAndTheRestIsRefusedByName) {
    EXPECT_NE(Parse("--help").Output.find("--delete-empty-subfolders"), std::string::npos);
    EXPECT_NE(Parse("--help", {.Exif = true}).Output.find("--exif"), std::string::npos);
    EXPECT_EQ(Parse("--help", {}).Output.find("--exif"), std::string::npos);
    const cli::Parsed refused = Parse("--exif a b", {});
    EXPECT_FALSE(refused.Command);
    EXPECT_EQ(refused.ExitStatus, 2);
    EXPECT_EQ(refused.Error, "ostrel-convert: --exif is not available in this build.\n");
    EXPECT_EQ(Parse("--version").Output, "ostrel-convert 2.8.0.14\n");
}

TEST_F(Runs, HelpWrittenToAFileHasTheSystemsLineEnds) {
    const Result result = RunConvert({"--help"}, home);
    EXPECT_EQ(result.Status, 0);
    const auto count = [&result](const std::string& end) {
        std::size_t found = 0;
        for (auto at = result.Out.find(end); at != std::string::npos;
             at = result.Out.find(end, at + 1)) {
            ++found;
        }
        return found;
    };
    EXPECT_GT(count("\n"), 20U);
    EXPECT_EQ(count("\r\n"), test::Windows ? count("\n") : 0U);
    EXPECT_EQ(count("\r"), count("\r\n"));
}

TEST_F(CommandLineTest, ADryRunListsTheNamesItWouldWriteAndChangesNothing) {
    const Result result =
        Convert({"--dry-run", "--print", "--subfolders", "top", "--omit", "shot,album",
                 "--delete-files", "sony", "--delete-empty-subfolders"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_EQ(test::FileNames(tree / "S"), (test::Names{"PSN00001.PMP", "PSN00001.PMX"}));
    EXPECT_EQ(test::FileNames(tree / "S/PIC00002").size(), 2U);
    // Told apart as the run would.
    const std::string base = (tree / "O" / "").string() + "{DT=1999-07-04 @14-05-09}";
    const std::string tail =
        "{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{CO=a[Colon]b}.jpg\n";
    EXPECT_EQ(result.Out, base + tail + base + "{SN=002}" + tail + base + "{SN=003}" + tail +
                              "3 PMP files successfully converted to JPG.\n\n"
                              "2 JPG files saved with incremented serial numbers.\n");
    EXPECT_EQ(result.Err, "Dry run: nothing on disk was changed.\n");
}

TEST_F(CommandLineTest, ADryRunThatWouldFailIsStatusOne) {
    const Result result = Convert({"--dry-run", "--device-name", std::string(300, 'x')});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("due to the following problem: " + test::NameTooLong() + "."),
              std::string::npos);
}

TEST_F(CommandLineTest, PrintListsEachPictureWrittenWholeBeforeTheSummary) {
    const Result result = Convert({"--subfolders", "matching", "--print", "--format", "1.x"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    const std::string first = (tree / "O" /
                               "1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms Standard "
                               "PSN001 a[Colon]b.jpg")
                                  .string();
    EXPECT_TRUE(result.Out.starts_with(first + "\n" + (tree / "O/PIC00002").string()));
    EXPECT_TRUE(result.Out.ends_with(".jpg\n3 PMP files successfully converted to JPG.\n"));
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(test::ReadBytes(first), test::EveryByte());
}

TEST_F(CommandLineTest, Print0EndsEachPathWithANulAndTheSummaryGoesToStandardError) {
    const Result result = Convert({"--print0", "--quiet"});
    EXPECT_EQ(result.Out,
              (tree / "O" / (test::DefaultName + "{VO=001}{CO=a[Colon]b}.jpg")).string() +
                  std::string(1, '\0'));
    EXPECT_EQ(result.Err, "1 PMP file successfully converted to JPG.\n");
}

TEST_F(CommandLineTest, APictureThatCannotBeConvertedIsStatusOneAndTold) {
    const fs::path bad = tree.Write("S/PSN00009.PMP", "short");
    const Result result = Convert({"--quiet"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out,
              "1 PMP file successfully converted to JPG.\n\n"
              "1 PMP file could not be converted.\n");
    EXPECT_TRUE(result.Err.starts_with("Unable to convert source file \"" + bad.string() + "\"\n"));
}

TEST_F(Runs, AMissingSourceFolderIsStatusTwo) {
    const Result result = Convert({}, "none");
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Err, "The PMP source folder you specified doesn't exist.\n");
    EXPECT_EQ(result.Out, "");
}

#ifndef _WIN32  // settings in a file, as Linux keeps them
TEST_F(CommandLineTest, TheLinesFoldersAndOptionsWinOverTheStoredOnes) {
    // The stored folders hold pictures and ask for them to be deleted: with
    // other folders and options on the line, nothing there is touched.
    tree.Write("Stored/PSN00009.PMP", test::PmpFile({}, test::EveryByte()));
    tree.Folder("StoredOut");
    tree.Write("home/.config/Ostrel/Ostrel 2.8.conf",
               "[Main]\nSourcePath=" + (tree / "Stored").string() + "\nOutputPath=" +
                   (tree / "StoredOut").string() + "\nDeleteSourceFiles=2\nProcessSubfolders=1\n");
    const Result result = Convert({"--from-settings", "--quiet", "--delete-files", "none"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(test::FileNames(tree / "Stored"), test::Names{"PSN00009.PMP"});
    EXPECT_TRUE(fs::is_empty(tree / "StoredOut"));
    EXPECT_EQ(test::FileNames(tree / "S"), (test::Names{"PSN00001.PMP", "PSN00001.PMX"}));
    EXPECT_EQ(test::FileNames(tree / "O/PIC00002").size(), 2U);  // the stored subfolder mode
}
#endif

#ifndef _WIN32  // signals, pipes, /dev/full and FIFOs
TEST_F(Runs, CtrlCFinishesThePictureInHandAndTheNextRunConvertsTheRestOnce) {
    constexpr int Pictures = 300;
    for (int shot = 1; shot <= Pictures; ++shot) {
        char name[32];
        std::snprintf(name, sizeof name, "S/PSN%05d.PMP", shot);
        tree.Write(name, test::PmpFile({}, {0xFF, 0xD8}));
    }
    const fs::path out = tree.Folder("O");
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

    const Result rest = Convert({"--quiet", "--delete-files", "sony"});
    EXPECT_EQ(rest.Status, 0) << rest.Err;
    EXPECT_EQ(test::FileNames(out).size(), static_cast<std::size_t>(Pictures));
    for (const std::string& name : test::FileNames(out)) {
        EXPECT_EQ(name.find("{SN="), std::string::npos) << name;  // none converted twice
    }
}

TEST_F(CommandLineTest, SigtermAndSighupStopItAsCtrlCDoesEachWithItsOwnStatus) {
    for (int shot = 3; shot <= 300; ++shot) {  // enough to be stopped among them
        char name[32];
        std::snprintf(name, sizeof name, "S/PSN%05d.PMP", shot);
        tree.Write(name, test::PmpFile({}, {0xFF, 0xD8}));
    }
    for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
        const auto [pid, pipe] = Start(
            {"--print", (tree / "S").string(), tree.Folder("O" + std::to_string(signal)).string()},
            home, false);
        ReadFrom(pipe, true);
        ::kill(pid, signal);
        const std::string told = ReadFrom(pipe, false);
        EXPECT_EQ(ExitStatus(pid), status) << signal;
        EXPECT_NE(told.find("PMP files not reached.\n"), std::string::npos) << told;
    }
}

// Three pictures whose paths --print writes into a pipe that is full but for
// the room of `room` bytes fewer than those paths take: the run waits on the
// pipe there.
class BlockedOutput : public Runs {
protected:
    BlockedOutput() {
        for (const char* name : {"S/PSN00001.PMP", "S/PSN00002.PMP", "S/PSN00003.PMP"}) {
            tree.Write(name, test::PmpFile({}, {0xFF, 0xD8}));
        }
        const Result planned = Convert({"--print", "--dry-run"});
        paths = planned.Out.substr(0, planned.Out.find("\n3 PMP files") + 1);
    }
    // Starts the run with the pipe full but for what the paths take, less `short`.
    std::pair<pid_t, int> StartBlocked(std::size_t shortOf) {
        return Start({"--print", "--delete-files", "pmp", (tree / "S").string(), out.string()},
                     home, false, 4096 - paths.size() + shortOf);
    }
    bool SourcesGone() const { return test::FileNames(tree / "S").empty(); }

    fs::path out = tree.Folder("O");
    std::string paths;
};

TEST_F(BlockedOutput, ASignalAfterTheLastPictureStopsNothingButIsTold) {
    // Waiting to write the last path: every picture is converted, and the
    // signal comes after the last.
    const auto [pid, pipe] = StartBlocked(1);
    ASSERT_TRUE(Within10Seconds([&] { return test::FileNames(out).size() == 3; }));
    ::kill(pid, SIGINT);
    const std::string printed = ReadFrom(pipe, false);
    EXPECT_EQ(ExitStatus(pid), 130);
    EXPECT_EQ(printed.substr(printed.find_first_not_of('#')),
              paths +
                  "3 PMP files successfully converted to JPG.\n\n"
                  "The conversion was stopped: 0 PMP files not reached.\n");
    EXPECT_TRUE(SourcesGone());
}

TEST_F(BlockedOutput, ASecondSignalWhileAWriteWaitsEndsTheRunAtOnceWithNoPartialPicture) {
    const auto [pid, pipe] = StartBlocked(paths.size() - paths.find('\n'));  // after the first
    ASSERT_TRUE(Within10Seconds([&] { return !test::FileNames(out).empty(); }));
    ::kill(pid, SIGINT);
    ::usleep(100'000);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);  // a run that will not end is the watchdog's
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    for (const std::string& name : test::FileNames(out)) {
        EXPECT_EQ(test::ReadBytes(out / name), (test::Bytes{0xFF, 0xD8})) << name;
    }
    EXPECT_EQ(test::FileNames(tree / "S").size(), 3U);  // nothing deleted in the end
    ::close(pipe);
}

// What a run with --print tells when its standard output fails after the first path.
const std::string StoppedAfterOne =
    "1 PMP file successfully converted to JPG.\n\n"
    "The conversion was stopped: 2 PMP files not reached.\n";
const test::Names PrintAndDelete{"--print", "--subfolders=matching", "--delete-files=pmp"};

TEST_F(CommandLineTest, AStandardOutputThatCannotBeWrittenStopsTheRunAndFails) {
    const Result result = Convert(PrintAndDelete, "S", "O", "/dev/full");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, StoppedAfterOne +
                              "ostrel-convert: Unable to write to standard output: No space left "
                              "on device.\n");
    // The one picture converted, and its source deleted; the rest untouched.
    EXPECT_EQ(test::FileNames(tree / "O").size(), 1U);
    EXPECT_EQ(test::FileNames(tree / "S"), test::Names{"PSN00001.PMX"});
    EXPECT_EQ(test::FileNames(tree / "S/PIC00002").size(), 2U);
}

TEST_F(CommandLineTest, APipeThatNoOneReadsStopsTheRunAndFails) {
    test::Names arguments = PrintAndDelete;
    arguments.insert(arguments.end(), {(tree / "S").string(), tree.Folder("O").string()});
    EXPECT_EQ(ExitStatus(Start(arguments, home, true).first), 1);
    const test::Bytes err = test::ReadBytes(home / "err");
    EXPECT_EQ(
        std::string(err.begin(), err.end()),
        StoppedAfterOne + "ostrel-convert: Unable to write to standard output: Broken pipe.\n");
    EXPECT_EQ(test::FileNames(tree / "O").size(), 1U);
}

TEST_F(CommandLineTest, ASettingsFileThatCannotBeReadIsNeitherReadNorWaitedOn) {
    const std::string stored = "[Main]\nProcessSubfolders=1\n";  // 3 files, were it read
    const std::pair<const char*, std::function<void(const std::string&)>> rows[] = {
        {"It is not a regular file",
         [&](const std::string& file) { ASSERT_EQ(::mkfifo((tree / file).c_str(), 0666), 0); }},
        {"It is not a settings file",
         [&](const std::string& file) { tree.Write(file, stored + "["); }},
        // 3 GB of one once ran ostrel-convert out of memory; more than 1 MiB
        // is not read at all.
        {"It is larger than 1 MiB, more than any settings file",
         [&](const std::string& file) {
             fs::resize_file(tree.Write(file, stored), (1 << 20) + 1);
         }},
    };
    for (const auto& [why, make] : rows) {
        home = tree.Folder(why);  // each its own settings, and output folder
        const std::string settings = std::string(why) + "/.config/Ostrel/Ostrel 2.8.conf";
        tree.Folder(std::string(why) + "/.config/Ostrel");
        make(settings);
        const Result result = Convert({"--from-settings", "--quiet"}, "S", std::string(why) + "/O");
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "ostrel-convert: Unable to read the settings file \"" +
                                  (tree / settings).string() + "\" due to the following problem: " +
                                  why + ". The first-run options are used.\n");
        EXPECT_EQ(result.Out, "1 PMP file successfully converted to JPG.\n");
    }
}
#endif

#ifndef _WIN32  // a name's limit in bytes, as Linux has it
TEST_F(Runs, ANameTooLongLosesTheEndOfItsCommentAlsoInADryRun) {
    fs::copy(fs::path(OSTREL_SAMPLES) / "PIC00003", tree / "PIC00003");
    // 255 bytes, "…" taking three.
    const std::string name =
        "{Date=1999-07-04 @14-05-09}{Device=Sony DSC-F1{Lens=Forward}{Flash=Y}{Speed=033ms}"
        "{Compression=Standard}}{Batch=003}{Volume=007}{Comment=[At Sign]home [Pound Sign]1 "
        "[Left Curly Bracket]x[Equals Sign]y[Right Curly Bracket][Semicolon] [Tilde][Pipe "
        "S\xE2\x80\xA6}.jpg";
    for (const char* run : {"--dry-run", "--quiet"}) {
        const Result result = Convert({run, "--print", "--format", "2.x-long"}, "PIC00003");
        EXPECT_EQ(result.Status, 0) << result.Err;
        EXPECT_EQ(result.Out,
                  (tree / "O" / name).string() + "\n1 PMP file successfully converted to JPG.\n");
    }
    EXPECT_EQ(test::FileNames(tree / "O"), test::Names{name});
}
#endif

#ifndef _WIN32  // symbolic links; read-only files and folders as POSIX has them
TEST_F(Runs, ExitStatusIsOneForEveryKindOfProblemARunStepsPast) {
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
        const Result result =
            Convert({"--quiet", "--subfolders", "matching", "--delete-files", "pmp",
                     "--delete-empty-subfolders"},
                    source, std::string(source) + (*source == 'W' ? "/Out" : "O"));
        EXPECT_EQ(result.Status, 1) << source;
        // One report, set apart from what may follow by an empty line.
        EXPECT_TRUE(result.Err.starts_with(report) &&
                    result.Err.ends_with(".\n\nRemainder of conversion will proceed normally.\n\n"))
            << result.Err;
    }
}

// No Pillow under Wine: JapaneseWindows.sh reads the Windows build's.
TEST_F(Runs, PhotoLibrariesFindTheRecordedDateInTheFileTimesAndTheExifData) {
    const test::Bytes sample = test::ReadBytes(fs::path(OSTREL_SAMPLES) / "PIC00001/PSN00001.PMP");
    const test::Bytes jpeg(sample.begin() + 124, sample.end());
    // Flash 1 and shutter code 500; codes outside the tables. A comment in
    // ASCII is the description too; any other only the user comment.
    test::Header fired{.Comment = "Caf\xE9"},
        unknown{.Comment = "Paris", .Shutter = 40000, .Flash = 2};
    fired.Revised[3] = 10;
    tree.Write("S/PSN00001.PMP", test::PmpFile(fired, jpeg));
    tree.Write("S/PSN00002.PMP", test::PmpFile(unknown, jpeg));
    tree.Write("S/PSN00003.PMP", test::PmpFile(unknown, {'n', 'o', 't'}));
    tree.Write("S/PSN00004.PMP", test::PmpFile({}, jpeg));
    const Result result = Convert({"--exif", "--quiet", "--format", "1.x", "--omit",
                                   "recorded,revised,device,album,comment"});
    EXPECT_EQ(result.Status, 1);  // not every picture got the Exif data asked for
    EXPECT_TRUE(result.Out.ends_with("\n\n1 JPG file written without Exif data.\n")) << result.Out;
    std::string pictures;
    for (const char* name : {"PSN001.jpg", "PSN002.jpg", "PSN004.jpg"}) {
        pictures += " '" + (tree / "O" / name).string() + "'";
    }
    EXPECT_EQ(std::system(("/usr/bin/python3 '" OSTREL_READ_EXIF "'" + pictures + " >'" +
                           (tree / "read").string() + "'")
                              .c_str()),
              0);
    const test::Bytes read = test::ReadBytes(tree / "read");
    const std::string dates = "1999:07:04 14:05:09 | 1999:07:04 14:05:09";
    EXPECT_EQ(std::string(read.begin(), read.end()),
              "SONY | DSC-F1 | 1999:07:04 10:05:09 | " + dates +
                  " | 1 | 1/30 | - | UNICODE Café\n" + "SONY | DSC-F1 | 1999:07:04 14:05:09 | " +
                  dates + " | - | - | Paris | ASCII Paris\n" +
                  "SONY | DSC-F1 | 1999:07:04 14:05:09 | " + dates + " | 1 | 1/30 | - | -\n");
}
#endif

TEST_F(Runs, AJapaneseCommentKeepsItsCharactersAndWithoutTheOptionLinuxNamesStayAsTheyWere) {
    // Half-width katakana, a blank, two kanji, a katakana whose second byte
    // is 0x5C (a backslash in ASCII) and a colon.
    tree.Write("S/PSN00001.PMP",
               test::PmpFile({.Comment = "\xB6\xD2\xD7 \x8A\xBF\x8E\x9A\x83\x5C:"}, {0xFF, 0xD8}));
    const std::string start = test::DefaultName + "{VO=001}{CO=";
    const auto convert = [&](test::Names arguments, const char* output) {
        arguments.insert(arguments.end(), {"--print", "--quiet"});
        const Result result = Convert(arguments, "S", output);
        EXPECT_EQ(result.Status, 0) << result.Err;
        return result.Out.substr(0, result.Out.find('\n'));
    };
    EXPECT_EQ(convert({"--code-page", "932"}, "Japanese"),
              (tree / "Japanese" / "").string() + start +
                  "\uFF76\uFF92\uFF97 \u6F22\u5B57\u30BD[Colon]}.jpg");
#ifndef _WIN32
    EXPECT_EQ(convert({}, "Western"),
              (tree / "Western" / "").string() + start +
                  "\u00B6\u00D2\u00D7 \u0160\u00BF\u017D\u0161\u0192[Backslash][Colon]}.jpg");
#endif
}

TEST_F(Runs, TheSamplesConvertToTheExpectedNamesWithTheirPicturesIntact) {
    fs::copy(OSTREL_SAMPLES, tree / "S", fs::copy_options::recursive);
    const Result result = Convert({"--subfolders", "matching", "--quiet", "--print"});
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
