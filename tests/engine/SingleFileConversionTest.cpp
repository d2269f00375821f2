// Converting single PMP files: bytes, dates, Exif, serial numbers, deletion,
// and failures.

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
#include <system_error>
#include <tuple>

#include "EngineFixture.h"
#include "LocalClock.h"
#include "PictureFile.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif

namespace ostrel {
namespace {

using test::FileNames;
using test::Names;
using test::Problem;
using test::Problems;
using test::ReadBytes;
using test::SystemProblem;

constexpr const char* Changed = "It has changed since it was converted";

class ConvertPictureFileTest : public test::EngineFixture {
protected:
    // Every picture of the default header is then named "1999-07-04 @14-05-09".
    void DateOnly() {
        config.Options.Format = NameFormat::HistoryData1;
        config.Options.Include.DeviceName = false;
        config.Options.Include.Revised = false;
        config.Options.Include.ShotNumber = false;
    }
    static std::string DateName(const std::string& serial = {}) {
        return "1999-07-04 @14-05-09" + (serial.empty() ? "" : " #" + serial) + ".jpg";
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
        EXPECT_EQ(ReadBytes(events.Written.back()), payload) << static_cast<int>(copying);
    }
    EXPECT_EQ(events.Written.size(), 3U);
    EXPECT_TRUE(events.Problems.empty());
}

#ifndef _WIN32  // POSIX time zone rules in TZ
// TZ set for one test, and put back.
class TimeZone {
public:
    explicit TimeZone(const char* zone) : saved_(std::getenv("TZ")) {
        if (saved_) {
            value_ = *saved_;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        saved_ ? ::setenv("TZ", value_.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    const char* saved_;
    std::string value_;
};

std::time_t ModifiedTime(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_atime, info.st_mtime);
    return info.st_mtime;
}

TEST_F(ConvertPictureFileTest, EachFileIsDatedByItsRecordedTimeOnThisMachinesClock) {
    // 1999-07-04 14:05:09 in a zone without summer time and in New York's as
    // 1999 had it; never the revised date.
    Picture("PSN00001.PMP", {.Revised = {99, 8, 1, 10, 0, 0}});
    {
        const TimeZone utc("UTC0");
        Convert();
        EXPECT_EQ(ModifiedTime(events.Written.back()), 931097109);
    }
    const TimeZone newYork("EST5EDT,M4.1.0,M10.5.0");
    Convert();
    EXPECT_EQ(ModifiedTime(events.Written.back()), 931111509);
}

TEST_F(ConvertPictureFileTest, WithTheTimeOfConversionAFileKeepsItsOwn) {
    Picture("PSN00001.PMP");
    config.Times = FileTime::Now;
    const std::time_t start = std::time(nullptr);
    Convert();
    EXPECT_GE(ModifiedTime(events.Written.back()), start);
}

TEST(LocalClock, GivesWhatMktimeGivesAroundEveryChangeOfOffset) {
    // Gaps and folds of an hour and of half an hour, and a zone with none.
    for (const char* tz :
         {"EST5EDT,M4.1.0,M10.5.0", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "UTC0"}) {
        const TimeZone zone(tz);
        // Every 47 minutes through two years, so that every minute of the
        // hour comes round and the moments around each change are met, taken
        // in a scrambled order, as pictures come: the offset met last is
        // often another season's.
        std::vector<DateTime> values;
        for (int minutes = 0; minutes < 2 * 365 * 24 * 60; minutes += 47) {
            std::tm parts{0, minutes, 0, 1, 0, 99, 0, 0, 0, 0, nullptr};
            ::timegm(&parts);
            values.push_back({parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                              parts.tm_min, parts.tm_sec});
        }
        ostrel::LocalClock clock;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const DateTime& value = values[i * 7919 % values.size()];
            ASSERT_EQ(clock.TimeOf(value), ByMktime(value)) << tz << " " << FormatDateTime(value);
        }
    }
}
#endif

#ifdef OSTREL_EXIF
// The picture data, and where the segment goes (0: not a JPEG, copied as it is).
struct ExifPlace {
    const char* Name;
    std::string_view Bytes;
    std::size_t At;
};

void PrintTo(const ExifPlace& place, std::ostream* out) {
    *out << place.Name;
}

class ExifSegments : public ConvertPictureFileTest,
                     public ::testing::WithParamInterface<ExifPlace> {
protected:
    Exiv2ExifEncoder encoder;
};

TEST_P(ExifSegments, GoAfterTheStartOrJfifAndEveryOtherByteIsTheCameras) {
    const ExifPlace& place = GetParam();
    config.Exif = &encoder;
    payload.assign(place.Bytes.begin(), place.Bytes.end());
    const fs::path picture = Picture("PSN00001.PMP");
    Convert();
    test::Bytes out = ReadBytes(events.Written.back());
    const std::size_t at = place.At;
    if (at > 0) {
        ASSERT_GT(out.size(), at + 10);
        EXPECT_EQ(test::Bytes(out.begin() + at, out.begin() + at + 10),
                  (test::Bytes{0xFF, 0xE1, out[at + 2], out[at + 3], 'E', 'x', 'i', 'f', 0, 0}));
        out.erase(out.begin() + at, out.begin() + at + 2 + (out[at + 2] << 8 | out[at + 3]));
    }
    EXPECT_EQ(out, payload);
    EXPECT_EQ(events.Problems,
              at > 0 ? Problems{} : Problems{Problem(Action::AddExif, picture, Cause::NotJpeg)});
}

TEST_P(ExifSegments, ADryRunTellsWhereNoneCanGo) {
    config.Exif = &encoder;
    config.DryRun = true;
    payload.assign(GetParam().Bytes.begin(), GetParam().Bytes.end());
    const fs::path picture = Picture("PSN00001.PMP");
    Convert();
    EXPECT_EQ(events.Problems, GetParam().At > 0
                                   ? Problems{}
                                   : Problems{Problem(Action::AddExif, picture, Cause::NotJpeg)});
}

using namespace std::string_view_literals;
INSTANTIATE_TEST_SUITE_P(
    InEveryPicture, ExifSegments,
    ::testing::Values(
        ExifPlace{"AfterJfif",
                  "\xFF\xD8\xFF\xE0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0\xFF\xDB\0\3\7\xFF\xD9"sv, 20},
        ExifPlace{"AfterTheStart", "\xFF\xD8\xFF\xDB\0\3\7\xFF\xD9"sv, 2},
        ExifPlace{"AfterTheStartOfAJfifCutShort", "\xFF\xD8\xFF\xE0\0\x10JF"sv, 2},
        ExifPlace{"NowhereInAGif", "GIF89a"sv, 0},
        ExifPlace{"NowhereInAStartAlone", "\xFF\xD8"sv, 0}),
    [](const auto& row) { return std::string(row.param.Name); });
#endif

TEST_F(ConvertPictureFileTest, ATakenNameGetsTheNextSerialNumberAndADryRunPlansTheSame) {
    DateOnly();
    Picture("a.PMP");
    Picture("b.PMP");
    tree.Write("O/" + DateName(), "keep");
    config.DryRun = true;
    Convert();
    const Names planned = events.Written;
    events.Written.clear();
    config.DryRun = false;
    Convert();
    EXPECT_EQ(events.Written, planned);
    EXPECT_EQ(FileNames(output), (Names{DateName("002"), DateName("003"), DateName()}));
    EXPECT_EQ(ReadBytes(output / DateName()), (test::Bytes{'k', 'e', 'e', 'p'}));
}

TEST_F(ConvertPictureFileTest, ANameTakenBySomeoneElseAfterItWasFoundFreeIsNotOverwritten) {
    DateOnly();
    Picture("a.PMP");
    files.RacedFiles.insert((output / DateName()).string());
    Convert();
    EXPECT_EQ(FileNames(output), (Names{DateName("002"), DateName()}));
    EXPECT_EQ(ReadBytes(output / DateName("002")), payload);
    EXPECT_EQ(events.Serials, std::vector<std::int32_t>{2});
}

TEST_F(ConvertPictureFileTest, AlwaysASerialNumberStartsAt001) {
    DateOnly();
    Picture("a.PMP");
    Picture("b.PMP");
    config.Options.Serial = SerialNumbers::Always;
    Convert();
    EXPECT_EQ(FileNames(output), (Names{DateName("001"), DateName("002")}));
    EXPECT_EQ(events.Serials, (std::vector<std::int32_t>{1, 2}));
}

TEST_F(ConvertPictureFileTest, PastTheLastSerialNumberThePictureIsNotConverted) {
    DateOnly();
    Picture("a.PMP");
    Picture("b.PMP");
    config.Options.Serial = SerialNumbers::Always;
    files.Taken = [](const std::string& path) {
        return path.find(" #") != std::string::npos && !path.ends_with(" #32767.jpg");
    };
    Convert();
    EXPECT_EQ(FileNames(output), Names{DateName("32767")});
    EXPECT_EQ(events.Problems,
              (Problems{Problem(Action::ConvertFile, source / "b.PMP", Cause::NoFreeName)}));
}

TEST_F(ConvertPictureFileTest, APictureWithNoDataAfterItsHeaderIsReportedAndKept) {
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    const auto empty = tree.Write("S/empty.PMP", test::PmpFile({}, {}));
    Convert();
    EXPECT_TRUE(fs::exists(empty));
    EXPECT_TRUE(fs::is_empty(output));
    EXPECT_EQ(events.Problems,
              (Problems{Problem(Action::ConvertFile, empty, Cause::NoPictureData)}));
}

TEST_F(ConvertPictureFileTest, ANameTooLongEvenWithoutItsCommentFailsAndIsKept) {
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    config.Options.DeviceName = std::string(300, 'D');
    const auto a = Picture("a.PMP");
    Convert();
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(events.Problems,
              (Problems{SystemProblem(Action::ConvertFile, a, test::NameTooLong())}));
}

TEST_F(ConvertPictureFileTest, ASeparatorInTheDeviceNameNeverLeadsOutOfTheFolder) {
    config.Options.DeviceName = "../escape";
    const auto a = Picture("a.PMP");
    Convert();
    ASSERT_EQ(events.Problems.size(), 1U);
    EXPECT_EQ(events.Problems[0].Because.Why, Cause::InvalidName);
    EXPECT_TRUE(FileNames(tree.Root()).empty());
    EXPECT_TRUE(fs::is_empty(output));
}

TEST_F(ConvertPictureFileTest, AFullDiskLeavesNoPartOfAPicture) {
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    const auto a = Picture("a.PMP");
    files.WriteLimit = 100;
    Convert();
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(fs::is_empty(output));
    EXPECT_EQ(
        events.Problems,
        (Problems{SystemProblem(Action::ConvertFile, a, std::generic_category().message(ENOSPC))}));
}

#ifndef _WIN32  // Windows lets no one write to a file while it is converted
TEST_F(ConvertPictureFileTest, APictureCutShortWhileItIsCopiedIsNotConverted) {
    const auto a = Picture("a.PMP");
    files.AfterOpening = [&](const File&) { fs::resize_file(a, 224); };
    Convert();
    EXPECT_TRUE(fs::is_empty(output));
    RunProblem cut = Problem(Action::ConvertFile, a, Cause::IncompleteCopy);
    cut.Because.Copied = 100;
    cut.Because.Expected = 1256;
    EXPECT_EQ(events.Problems, Problems{cut});
}

TEST_F(ConvertPictureFileTest, APictureThatGrowsWhileItIsCopiedIsNotConverted) {
    const auto a = Picture("a.PMP");
    files.AfterOpening = [&](const File&) { std::ofstream(a, std::ios::app) << "more"; };
    Convert();
    EXPECT_TRUE(fs::is_empty(output));
    ASSERT_EQ(events.Problems.size(), 1U);
    EXPECT_EQ(events.Problems[0].Because.Why, Cause::IncompleteCopy);
}
#endif

// Which sources each deletion mode takes: a PMP file and its other Sony
// files, a text file and a JPG file beside them.
struct Deletion {
    const char* Name;
    SourceDeletion Mode;
    Names Left;
};

void PrintTo(const Deletion& deletion, std::ostream* out) {
    *out << deletion.Name;
}

class DeletionModes : public ConvertPictureFileTest,
                      public ::testing::WithParamInterface<Deletion> {};

TEST_P(DeletionModes, TakeTheirOwnFilesOnly) {
    Picture("PSN00001.PMP");
    for (const char* other : {"PSN00001.PMX", "PSN00001.PMF", "notes.txt", "old.jpg"}) {
        tree.Write(std::string("S/") + other, "x");
    }
    config.Options.DeleteFiles = GetParam().Mode;
    Convert();
    EXPECT_EQ(FileNames(source), GetParam().Left);
    EXPECT_EQ(events.Written.size(), 1U);  // only the PMP file is ever converted
}

INSTANTIATE_TEST_SUITE_P(
    EachMode, DeletionModes,
    ::testing::Values(
        Deletion{"None",
                 SourceDeletion::None,
                 {"PSN00001.PMF", "PSN00001.PMP", "PSN00001.PMX", "notes.txt", "old.jpg"}},
        Deletion{"Pictures",
                 SourceDeletion::Pictures,
                 {"PSN00001.PMF", "PSN00001.PMX", "notes.txt", "old.jpg"}},
        Deletion{"AllSonyFiles", SourceDeletion::AllSonyFiles, {"notes.txt", "old.jpg"}}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST_F(ConvertPictureFileTest, ASourceGoesOnlyOnceItsJpgFileIsOnTheDisk) {
    Picture("PSN00001.PMP");
    tree.Write("S/PSN00001.PMX", "x");
    config.Options.DeleteFiles = SourceDeletion::AllSonyFiles;
    Convert();
    // One flush for the folder's batch, then the deletions: the PMP file
    // first, its PMX file after it.
    const std::string deleted = "delete:" + (source / "PSN00001.").string();
    EXPECT_EQ(files.Log, (Names{"durable", deleted + "PMP", deleted + "PMX"}));
    EXPECT_EQ(files.Flushed, Names{output.string()});
}

TEST_F(ConvertPictureFileTest, AFailedFlushKeepsTheSourceAndItsCompanions) {
    // Its JPG file may not be on the disk: the PMP file is reported; its PMX
    // and PMF files stay with it.
    Picture("PSN00001.PMP");
    tree.Write("S/PSN00001.PMX", "x");
    tree.Write("S/PSN00001.PMF", "x");
    files.FlushFailure = EIO;
    config.Options.DeleteFiles = SourceDeletion::AllSonyFiles;
    Convert();
    EXPECT_EQ(FileNames(source), (Names{"PSN00001.PMF", "PSN00001.PMP", "PSN00001.PMX"}));
    EXPECT_EQ(events.Problems, (Problems{SystemProblem(Action::DeleteFile, source / "PSN00001.PMP",
                                                       std::generic_category().message(EIO))}));
}

// Between its conversion and its deletion, each source but a is meddled with
// as the comment of its row says; on every medium a changed source is kept,
// and a source that is the same file is deleted.
struct Meddling {
    const char* Name;
    bool KeptOnNumberedMedia;    // ext4, NTFS...: inode numbers and change times tell
    bool KeptOnUnnumberedMedia;  // FAT, exFAT, FUSE: the bytes tell
};

class ChangedSources : public ConvertPictureFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ChangedSources, AreConvertedReportedAndKeptWhateverTheMedium) {
    const bool unnumbered = GetParam();
    files.Unnumbered = unnumbered;
    const Meddling rows[] = {
        {"b.PMP", true, true},   // a byte written, size kept, time moved within its second
        {"c.PMP", true, true},   // grown, then its time put back
        {"d.PMP", true, false},  // replaced by a copy of the same bytes and time: a new inode
        {"e.PMP", true, true},   // a byte written, size kept and time put back exactly
    };
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    const auto a = Picture("a.PMP");
    test::MakeReadOnly(a);
    const auto stamp = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(a)) +
                       std::chrono::milliseconds(100);
    for (const Meddling& row : rows) {
        fs::last_write_time(Picture(row.Name), stamp);
    }
    files.BeforeDeleting = [&](const File& file) {
        const fs::path path = file.Path;
        const std::string name = file.Name;
        if (name == "b.PMP" || name == "e.PMP") {
            std::fstream(path, std::ios::in | std::ios::out | std::ios::binary) << "B";
            fs::last_write_time(path,
                                name == "b.PMP" ? stamp + std::chrono::milliseconds(100) : stamp);
        } else if (name == "c.PMP") {
            std::ofstream(path, std::ios::app) << "more";
            fs::last_write_time(path, stamp);
        } else if (name == "d.PMP") {
            fs::copy_file(path, path.string() + ".new");
            fs::rename(path.string() + ".new", path);
            fs::last_write_time(path, stamp);
        }
    };
    Convert();
    EXPECT_EQ(events.Written.size(), 5U);
    Names kept{"a.PMP"};
    Problems reports{SystemProblem(Action::DeleteFile, a, test::Denied())};
    for (const Meddling& row : rows) {
        if (unnumbered ? row.KeptOnUnnumberedMedia : row.KeptOnNumberedMedia) {
            kept.push_back(row.Name);
            reports.push_back(SystemProblem(Action::DeleteFile, source / row.Name, Changed));
        }
    }
    EXPECT_EQ(FileNames(source), kept);
    EXPECT_EQ(events.Problems, reports);
}

INSTANTIATE_TEST_SUITE_P(OnEveryMedium, ChangedSources, ::testing::Values(false, true),
                         [](const auto& medium) {
                             return std::string(medium.param ? "Unnumbered" : "Numbered");
                         });

#ifdef OSTREL_EXIF
TEST_F(ConvertPictureFileTest, WhereOnlyTheBytesTellTheExifSegmentIsLeftOutOfTheComparison) {
    Exiv2ExifEncoder encoder;
    config.Exif = &encoder;
    files.Unnumbered = true;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    using namespace std::string_view_literals;
    constexpr auto jpeg = "\xFF\xD8\xFF\xE0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0\xFF\xDB\0\3\7\xFF\xD9"sv;
    payload.assign(jpeg.begin(), jpeg.end());
    Picture("same.PMP");
    const fs::path changed = Picture("changed.PMP");
    files.BeforeDeleting = [&](const File& file) {
        if (file.Name == "changed.PMP") {  // a byte after where the segment went
            std::fstream out(changed, std::ios::in | std::ios::out | std::ios::binary);
            out.seekp(HeaderSize + 21);
            out << '\x42';
        }
    };
    Convert();
    EXPECT_EQ(FileNames(source), Names{"changed.PMP"});
    EXPECT_EQ(events.Problems, (Problems{SystemProblem(Action::DeleteFile, changed, Changed)}));
}
#endif

#ifndef _WIN32  // FIFOs, symbolic links and fork()
TEST_F(ConvertPictureFileTest, EntriesThatAreNotPicturesAreReportedOnceAndNeverDeleted) {
    config.Options.DeleteFiles = SourceDeletion::AllSonyFiles;
    config.Options.Subfolders = SubfolderMode::Matching;
    ::mkfifo((source / "fifo.PMP").c_str(), 0666);
    ::symlink("nowhere", (source / "dangling.PMP").c_str());
    Picture("folder.PMP/c.PMP");
    Convert();
    EXPECT_EQ(events.Written.size(), 1U);  // c.PMP
    EXPECT_EQ(
        events.Problems,
        (Problems{SystemProblem(Action::ConvertFile, source / "dangling.PMP",
                                "No such file or directory"),
                  SystemProblem(Action::ConvertFile, source / "fifo.PMP", NotARegularFile),
                  Problem(Action::ConvertFile, source / "folder.PMP", Cause::FolderNotFile)}));
    EXPECT_TRUE(fs::exists(source / "fifo.PMP") && fs::is_symlink(source / "dangling.PMP"));
}

TEST_F(ConvertPictureFileTest, APictureSwappedForAFifoIsRefusedNotWaitedOn) {
    // Once a.PMP is open, b.PMP becomes a FIFO that no one writes to.
    Picture("a.PMP");
    const auto b = Picture("b.PMP");
    files.AfterOpening = [&](const File& file) {
        if (file.Name == "a.PMP") {
            fs::remove(b);
            ::mkfifo(b.c_str(), 0666);
        }
    };
    Convert();
    EXPECT_EQ(events.Written.size(), 1U);
    EXPECT_EQ(events.Problems, (Problems{SystemProblem(Action::ConvertFile, b, NotARegularFile)}));
}

TEST_F(ConvertPictureFileTest, OtherSonyFilesGoOnlyAfterThePictureOfTheirNameInAnyCase) {
    config.Options.DeleteFiles = SourceDeletion::AllSonyFiles;
    test::MakeReadOnly(Picture("A.PMP"));              // converted, and kept
    ::symlink("nowhere", (source / "B.PMP").c_str());  // no file at all
    tree.Write("S/C.PMP", "short");                    // not converted
    tree.Folder("S/D.PMP");
    Picture("E.PMP");  // changed after its conversion, before its deletion
    Picture("F.PMP");
    files.AfterOpening = [&](const File& file) {
        if (file.Name == "F.PMP") {
            std::ofstream(source / "E.PMP", std::ios::app) << "more";
        }
    };
    for (const std::string name :
         {"a.pmx", "A.PMF", "B.PMX", "C.pmf", "D.PMX", "e.PmX", "f.pmx", "F.PMF", "G.PMX"}) {
        tree.Write("S/" + name, "x");
    }
    Convert();
    // F's go with it, and G.PMX, which has no picture, as any Sony file.
    EXPECT_EQ(FileNames(source), (Names{"A.PMF", "A.PMP", "B.PMX", "C.PMP", "C.pmf", "D.PMX",
                                        "E.PMP", "a.pmx", "e.PmX"}));
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
    for (const auto& entry : fs::directory_iterator(output)) {
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
