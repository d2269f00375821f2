// Converting single PMP files: bytes, names, serial numbers, deletion, failures.

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <tuple>

#include "EngineFixture.h"
#include "PictureFile.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif

namespace ostrel {
namespace {

using test::FileNames;
using test::Names;
using test::Problem;
using test::ReadBytes;

class ConvertPictureFileTest : public test::EngineFixture {
protected:
    // Every picture of the default header is then named "1999-07-04 @14-05-09".
    void DateOnly() {
        options.JPGNameFormat = 0;
        options.AddDeviceName = options.ExtractEdited = options.ExtractShotNumber = 0;
    }
    std::string Unconverted(const fs::path& source, const std::string& why) {
        return Problem("Unable to convert source file", source.string(), why);
    }
};

TEST_F(ConvertPictureFileTest, CopiesTheJpegBytesExactlyHoweverTheKernelCopies) {
    // Every byte value, line ends and end-of-file marks among them, over more
    // than one call of the kernel's copy.
    payload = test::EveryByte(100'000);
    Picture("PSN00001.PMP");
    using Copy = test::FaultyFileSystem::Copy;
    for (const Copy copying : {Copy::Kernel, Copy::CrossDevice, Copy::ShortCalls}) {
        files.Copying = copying;
        Convert();
        EXPECT_EQ(ReadBytes(written.back()), payload) << static_cast<int>(copying);
    }
    EXPECT_EQ(counters.SourceObjectNumber, 3);
    EXPECT_TRUE(user.Messages.empty());
}

#ifndef _WIN32  // POSIX time zone rules in TZ
TEST_F(ConvertPictureFileTest, DatesEachFileByItsRecordedTimeOnThisMachinesClock) {
    const char* zone = std::getenv("TZ");
    const std::string saved = zone != nullptr ? zone : "";
    // 1999-07-04 14:05:09 in a zone without summer time and in New York's as
    // 1999 had it, or the time of conversion (0).
    const std::tuple<const char*, FileTime, std::time_t> cases[] = {
        {"UTC0", FileTime::Recorded, 931097109},
        {"EST5EDT,M4.1.0,M10.5.0", FileTime::Recorded, 931111509},
        {"UTC0", FileTime::Now, 0}};
    for (const auto& [tz, fileTime, expected] : cases) {
        ::setenv("TZ", tz, 1);
        ::tzset();
        times = fileTime;
        Picture("PSN00001.PMP", {.Revised = {99, 8, 1, 10, 0, 0}});  // never the revised date
        const std::time_t start = std::time(nullptr);
        Convert();
        struct stat info {};
        ASSERT_EQ(::stat(written.back().c_str(), &info), 0);
        EXPECT_TRUE(expected != 0 ? info.st_mtime == expected && info.st_atime == expected
                                  : info.st_mtime >= start)
            << tz << ": " << info.st_mtime;
    }
    zone != nullptr ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}
#endif

#ifdef OSTREL_EXIF
TEST_F(ConvertPictureFileTest, ExifGoesAfterTheStartOrJfifAndEveryOtherByteIsTheCameras) {
    Exiv2ExifEncoder encoder;
    exif = &encoder;
    // The picture data, and where the segment goes (0: not a JPEG, copied as it is).
    using namespace std::string_view_literals;
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"\xFF\xD8\xFF\xE0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0\xFF\xDB\0\3\7\xFF\xD9"sv, 20},
        {"\xFF\xD8\xFF\xDB\0\3\7\xFF\xD9"sv, 2},
        {"\xFF\xD8\xFF\xE0\0\x10JF"sv, 2},  // cut short in its JFIF segment
        {"GIF89a"sv, 0},
        {"\xFF\xD8"sv, 0}};
    for (const auto& [bytes, at] : cases) {
        payload.assign(bytes.begin(), bytes.end());
        user.Prompts.clear();
        const fs::path source = Picture("PSN00001.PMP");
        Convert();
        test::Bytes out = ReadBytes(written.back());
        if (at > 0) {
            ASSERT_GT(out.size(), at + 10);
            EXPECT_EQ(
                test::Bytes(out.begin() + at, out.begin() + at + 10),
                (test::Bytes{0xFF, 0xE1, out[at + 2], out[at + 3], 'E', 'x', 'i', 'f', 0, 0}));
            out.erase(out.begin() + at, out.begin() + at + 2 + (out[at + 2] << 8 | out[at + 3]));
        }
        EXPECT_EQ(out, payload) << at;
        EXPECT_EQ(user.Prompts,
                  at > 0 ? Names{}
                         : Names{"Converted source file \"" + source.string() +
                                 "\" without Exif data\ndue to the following problem: Its "
                                 "picture data does not start like a JPEG picture.\n\n"
                                 "Remainder of conversion will proceed normally."});
    }
    Convert(true);  // a dry run tells it too
    EXPECT_EQ(counters.NumberOfFilesWithoutExif, 3);
    EXPECT_EQ(counters.SourceObjectNumber, 6);
}
#endif

TEST_F(ConvertPictureFileTest, SerialNumbersNeverOverwriteAFile) {
    DateOnly();
    Picture("a.PMP");
    Picture("b.PMP");
    tree.Write("O/1999-07-04 @14-05-09.jpg", "keep");
    Convert(true);  // a dry run plans the names the run then writes
    const Names planned = written;
    written.clear();
    Convert();
    EXPECT_EQ(written, planned);
    EXPECT_EQ(FileNames(tree / "O"),
              (Names{"1999-07-04 @14-05-09 #002.jpg", "1999-07-04 @14-05-09 #003.jpg",
                     "1999-07-04 @14-05-09.jpg"}));
    files.RacedFiles.insert((tree / "O/1999-07-04 @14-05-09 #004.jpg").string());
    Convert();  // #004 is taken by someone else between the test and the naming
    EXPECT_EQ(FileNames(tree / "O").size(), 6U);
    EXPECT_EQ(ReadBytes(tree / "O/1999-07-04 @14-05-09.jpg"), (test::Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(ReadBytes(tree / "O/1999-07-04 @14-05-09 #006.jpg"), payload);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 6);  // the dry run's two, then all four
    EXPECT_EQ(user.Position, 6);

    options.SerialNumberMode = 2;  // "Always": the first attempt is 001
    options.OutputPath = tree.Folder("Always").string();
    Convert();
    EXPECT_EQ(FileNames(tree / "Always"),
              (Names{"1999-07-04 @14-05-09 #001.jpg", "1999-07-04 @14-05-09 #002.jpg"}));
    EXPECT_EQ(counters.NumberOfSerializedFiles, 7);

    // The last serial number is 32767: past it, the picture is not converted.
    options.OutputPath = tree.Folder("Last").string();
    files.Taken = [](const std::string& path) {
        return path.find(" #") != std::string::npos && !path.ends_with(" #32767.jpg");
    };
    Convert();
    EXPECT_EQ(FileNames(tree / "Last"), Names{"1999-07-04 @14-05-09 #32767.jpg"});
    ASSERT_EQ(user.Prompts.size(), 1U);
    EXPECT_TRUE(user.Prompts[0].ends_with(
        "due to the following problem: Every serial number up to 32767 is taken for this "
        "picture's name.\n\nRemainder of conversion will proceed normally."));
}

TEST_F(ConvertPictureFileTest, FilesThatCannotBeConvertedAreReportedAndKept) {
    options.DeleteSourceFiles = 1;
    const auto empty = tree.Write("S/empty.PMP", test::PmpFile({}, {}));  // no picture data
    const auto a = Picture("a.PMP");
    options.DeviceName = std::string(300, 'D');
    Convert();
    options.DeviceName = "../escape";  // a separator must not lead out of the folder
    fs::remove(empty);
    Convert();
    options.DeviceName = "Sony DSC-F1";
    files.WriteLimit = 100;  // the disk fills up
    Convert();
    files.WriteLimit = -1;
#ifndef _WIN32  // Windows lets no one write to a file while it is converted
    files.AfterOpening = [&](const File&) { fs::resize_file(a, 224); };  // cut short meanwhile
    Convert();
    EXPECT_EQ(user.Prompts.back(),
              Unconverted(a, "Only 100 of its 1256 bytes of picture data could be copied"));
    files.AfterOpening = [&](const File&) { std::ofstream(a, std::ios::app) << "more"; };  // grown
    Convert();
#endif
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_TRUE(FileNames(tree.Root()).empty());
    EXPECT_EQ(counters.SourceObjectNumber, 0);
    const Names& prompts = user.Prompts;
    ASSERT_EQ(prompts.size(), static_cast<std::size_t>(counters.NumberOfFailedFiles));
    ASSERT_GE(prompts.size(), 4U);
    EXPECT_EQ(std::set<std::string>(prompts.begin(), prompts.begin() + 2),
              (std::set<std::string>{
                  Unconverted(a, test::NameTooLong()),
                  Unconverted(empty, "The file holds no picture data after its 124-byte header")}));
    EXPECT_NE(prompts[2].find("holds a character that a file name cannot hold"), std::string::npos);
    EXPECT_EQ(prompts[3], Unconverted(a, "No space left on device"));
    EXPECT_EQ(user.Messages[3].Title, "Convert");
    EXPECT_EQ(user.Messages[3].Kind, MessageKind::Warning);
}

TEST_F(ConvertPictureFileTest, DeletionModes) {
    const Names all = {"PSN00001.PMF", "PSN00001.PMP", "PSN00001.PMX", "notes.txt", "old.jpg"};
    const std::pair<ListIndex, Names> cases[] = {
        {0, all},
        {1, {"PSN00001.PMF", "PSN00001.PMX", "notes.txt", "old.jpg"}},
        {2, {"notes.txt", "old.jpg"}},
        {3, all}};
    for (const auto& [mode, left] : cases) {
        Picture("PSN00001.PMP");
        for (const char* other : {"PSN00001.PMX", "PSN00001.PMF", "notes.txt", "old.jpg"}) {
            tree.Write(std::string("S/") + other, "x");
        }
        options.DeleteSourceFiles = mode;
        Convert();
        EXPECT_EQ(FileNames(tree / "S"), left) << mode;
    }
    EXPECT_EQ(counters.SourceObjectNumber, 4);  // only the PMP file is ever converted
    // Its JPG file on the disk before the source goes: one flush for a folder's batch.
    const std::string deleted = "delete:" + (tree / "S/PSN00001.").string();
    ASSERT_EQ(files.Log.size(), 6U);
    std::sort(files.Log.begin() + 4, files.Log.end());  // PMX and PMF as listed
    EXPECT_EQ(files.Log, (Names{"durable", deleted + "PMP", "durable", deleted + "PMP",
                                deleted + "PMF", deleted + "PMX"}));
#ifndef _WIN32
    EXPECT_EQ(files.Flushed, Names(2, (tree / "O").string()));
#endif
    // A flush that fails keeps every source: its JPG file may not be on the disk.
    // The PMP file is reported; its PMX and PMF files stay with it.
    files.FlushFailure = EIO;
    options.DeleteSourceFiles = 2;
    Convert();
    EXPECT_EQ(FileNames(tree / "S"), all);
    EXPECT_EQ(user.Prompts,
              (Names{Problem("Unable to delete source file", deleted.substr(7) + "PMP",
                             std::generic_category().message(EIO))}));
}

TEST_F(ConvertPictureFileTest, ReadOnlyOrChangedSourcesAreConvertedReportedAndKept) {
    options.DeleteSourceFiles = 1;
    const auto a = Picture("a.PMP");
    test::MakeReadOnly(a);
    // Between its conversion and its deletion, b is written to with its size
    // kept, within the second of its time; c grows and gets its time back; d
    // is replaced by a copy of the same size and time.
    const auto stamp = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(a)) +
                       std::chrono::milliseconds(100);
    for (const char* name : {"b.PMP", "c.PMP", "d.PMP"}) {
        fs::last_write_time(Picture(name), stamp);
    }
    files.BeforeDeleting = [&](const File& file) {
        const fs::path path = file.Path;
        if (file.Name == "b.PMP") {
            std::fstream(path, std::ios::in | std::ios::out | std::ios::binary) << "B";
            fs::last_write_time(path, stamp + std::chrono::milliseconds(100));
        } else if (file.Name == "c.PMP") {
            std::ofstream(path, std::ios::app) << "more";
            fs::last_write_time(path, stamp);
        } else if (file.Name == "d.PMP") {
            fs::copy_file(path, path.string() + ".new");
            fs::rename(path.string() + ".new", path);
            fs::last_write_time(path, stamp);
        }
    };
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 4);
    const std::string changed = "It has changed since it was converted";
    Names kept{"a.PMP", "b.PMP", "c.PMP", "d.PMP"};
    Names reports{Problem("Unable to delete source file", a.string(), test::Denied()),
                  Problem("Unable to delete source file", (tree / "S/b.PMP").string(), changed),
                  Problem("Unable to delete source file", (tree / "S/c.PMP").string(), changed),
                  Problem("Unable to delete source file", (tree / "S/d.PMP").string(), changed)};
    if (test::Windows) {
        // Under Wine, b's change within the second is not seen (not looked
        // into yet): the other three are.
        kept.erase(kept.begin() + 1);
        reports.erase(reports.begin() + 1);
    }
    EXPECT_EQ(test::FileNames(tree / "S"), kept);
    EXPECT_EQ(test::Sorted(user.Prompts), reports);
}

#ifndef _WIN32  // FIFOs, symbolic links and fork()
TEST_F(ConvertPictureFileTest, EntriesThatAreNotPicturesAreReportedOnceAndNeverDeleted) {
    options.DeleteSourceFiles = 2;
    options.ProcessSubfolders = 1;
    const auto a = Picture("a.PMP");
    const auto b = Picture("b.PMP");
    ::mkfifo((tree / "S/fifo.PMP").c_str(), 0666);
    ::symlink("nowhere", (tree / "S/dangling.PMP").c_str());
    Picture("folder.PMP/c.PMP");
    // Once the first picture is open, b.PMP (or a.PMP) becomes a FIFO that no
    // one writes to: it must be refused, not waited on for ever.
    fs::path swapped;
    files.AfterOpening = [&](const File& file) {
        if (swapped.empty()) {
            swapped = file.Path == a.string() ? b : a;
            fs::remove(swapped);
            ::mkfifo(swapped.c_str(), 0666);
        }
    };
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);  // the first of a and b, and c.PMP
    EXPECT_EQ(counters.NumberOfFailedFiles, 4);
    EXPECT_EQ(test::Sorted(user.Prompts),
              test::Sorted({Unconverted(tree / "S/dangling.PMP", "No such file or directory"),
                            Unconverted(swapped, "It is not a regular file"),
                            Unconverted(tree / "S/fifo.PMP", "It is not a regular file"),
                            Unconverted(tree / "S/folder.PMP", "It is a folder, not a file")}));
    EXPECT_TRUE(fs::exists(tree / "S/fifo.PMP") && fs::is_symlink(tree / "S/dangling.PMP"));
}

TEST_F(ConvertPictureFileTest, OtherSonyFilesGoOnlyAfterThePictureOfTheirName) {
    options.DeleteSourceFiles = 2;
    test::MakeReadOnly(Picture("A.PMP"));              // converted, and kept
    ::symlink("nowhere", (tree / "S/B.PMP").c_str());  // no file at all
    tree.Write("S/C.PMP", "short");                    // not converted
    tree.Folder("S/D.PMP");
    Picture("E.PMP");  // changed after its conversion, before its deletion
    Picture("F.PMP");
    files.AfterOpening = [&](const File& file) {
        if (file.Name == "F.PMP") {
            std::ofstream(tree / "S/E.PMP", std::ios::app) << "more";
        }
    };
    for (const std::string name :
         {"A.PMX", "A.PMF", "B.PMX", "C.pmf", "D.PMX", "E.PMX", "f.pmx", "F.PMF", "G.PMX"}) {
        tree.Write("S/" + name, "x");
    }
    Convert();
    // F's go with it, and G.PMX, which has no picture, as any Sony file.
    EXPECT_EQ(FileNames(tree / "S"), (Names{"A.PMF", "A.PMP", "A.PMX", "B.PMX", "C.PMP", "C.pmf",
                                            "D.PMX", "E.PMP", "E.PMX"}));
}

TEST_F(ConvertPictureFileTest, AConversionKilledMidCopyLeavesNoPartialPicture) {
    payload = test::EveryByte(100'000);
    Picture("PSN00001.PMP");
    const pid_t child = ::fork();
    if (child == 0) {  // killed between two calls of the kernel's copy
        files.Copying = test::FaultyFileSystem::Copy::ShortCalls;
        files.BeforeCopyCall = [calls = 0]() mutable {
            if (++calls == 2) {
                ::raise(SIGKILL);
            }
        };
        Convert();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFSIGNALED(status)) {
        GTEST_SKIP() << "The kernel's copy is not used on this file system";
    }
    for (const auto& entry : fs::directory_iterator(tree / "O")) {
        EXPECT_EQ(entry.file_size(), payload.size()) << entry.path();
    }
}
#endif

TEST(IsPictureFile, LooksAtTheLastThreeCharactersOnly) {
    for (const char* name :
         {"a.pmp", "A.Pmp", "PICTURE.XPMP", "NOTEPMP", "PMP", "PSN00034.PMP.PMP"}) {
        EXPECT_TRUE(IsPictureFile(name)) << name;
    }
    for (const char* name : {"PICTURE.PM", "PICTURE.PMP.BAK", "MP", "", "a.PMX"}) {
        EXPECT_FALSE(IsPictureFile(name)) << name;
    }
}

}  // namespace
}  // namespace ostrel
