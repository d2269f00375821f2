// Converting single PMP files: bytes, names, serial numbers, deletion, failures.

#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "EngineFixture.h"
#include "Messages.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

using test::DefaultName;
using test::EngineFixture;
using test::FileNames;
using test::Header;
using test::ReadBytes;

using ConvertPictureFileTest = EngineFixture;

std::string Problem(const std::string& context, const std::string& description) {
    return context + "\r\ndue to the following problem: " + description +
           ".\r\n\r\nRemainder of conversion will proceed normally.";
}

TEST_F(ConvertPictureFileTest, CopiesTheJpegBytesExactly) {
    payload = {0x00, 0x0A, 0x0D, 0x1A, 0x0D, 0x0A, 0x00};
    for (int b = 0x80; b <= 0xFF; ++b) {
        payload.push_back(static_cast<std::uint8_t>(b));
    }
    Picture("PSN00001.PMP");
    Convert();
    const auto names = FileNames(tree / "O");
    ASSERT_EQ(names, std::vector<std::string>{DefaultName() + "{VO=001}.jpg"});
    EXPECT_EQ(ReadBytes(tree / "O" / names[0]), payload);
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 0);
    EXPECT_TRUE(user.Messages.empty());
    EXPECT_EQ(user.Positions, std::vector<std::int32_t>{1});
}

TEST_F(ConvertPictureFileTest, OneBytePayloadAndTheAlbumOfTheHoldingFolder) {
    payload = {0xFF};
    Header header;
    header.Comment = "12:30";
    tree.Write("S/PIC00003/PSN00007.PMP", test::PmpFile(header, payload));
    options.ProcessSubfolders = 2;
    Convert();
    const std::string name = DefaultName() + "{BA=003}{VO=007}{CO=12[Colon]30}.jpg";
    EXPECT_EQ(FileNames(tree / "O"), std::vector<std::string>{name});
    EXPECT_EQ(ReadBytes(tree / "O" / name), payload);
}

TEST_F(ConvertPictureFileTest, TooShortFilesAreReportedAndKept) {
    options.DeleteSourceFiles = 1;
    const auto exact = tree.Write("S/exact.PMP", Header{}.Bytes());  // 124 bytes, no picture
    const auto empty = tree.Write("S/empty.PMP", std::vector<std::uint8_t>{});
    Convert();
    EXPECT_TRUE(FileNames(tree / "O").empty());
    EXPECT_TRUE(fs::exists(exact));
    EXPECT_TRUE(fs::exists(empty));
    EXPECT_EQ(counters.SourceObjectNumber, 0);
    EXPECT_EQ(counters.NumberOfFailedFiles, 2);
    ASSERT_EQ(user.Messages.size(), 2U);
    std::vector<std::string> prompts = Prompts();
    std::sort(prompts.begin(), prompts.end());
    EXPECT_EQ(prompts[0], Problem("Unable to convert source file \"" + empty.string() + "\"",
                                  "The file holds no picture data after its 124-byte header"));
    EXPECT_EQ(user.Messages[0].Title, "Convert");
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Information);
}

TEST_F(ConvertPictureFileTest, SameNameGetsTheNextSerialNumber) {
    Picture("a.PMP");
    Picture("b.PMP");
    Picture("c.PMP");
    Convert();
    EXPECT_EQ(FileNames(tree / "O"),
              (std::vector<std::string>{
                  "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}"
                  "{CP=Standard}}.jpg",
                  "{DT=1999-07-04 @14-05-09}{SN=002}{DV=Sony DSC-F1{LE=Forward}{FL=Y}"
                  "{SP=033ms}{CP=Standard}}.jpg",
                  "{DT=1999-07-04 @14-05-09}{SN=003}{DV=Sony DSC-F1{LE=Forward}{FL=Y}"
                  "{SP=033ms}{CP=Standard}}.jpg"}));
    EXPECT_EQ(counters.SourceObjectNumber, 3);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 2);
    EXPECT_EQ(user.Positions, (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(ConvertPictureFileTest, AlwaysNumbersFromOneAndCountsOnlyTakenFirstAttempts) {
    options.SerialNumberMode = 2;
    options.JPGNameFormat = 0;
    options.AddDeviceName = 0;
    Picture("a.PMP");
    Picture("b.PMP");
    Convert();
    EXPECT_EQ(FileNames(tree / "O"), (std::vector<std::string>{"1999-07-04 @14-05-09 #001.jpg",
                                                               "1999-07-04 @14-05-09 #002.jpg"}));
    EXPECT_EQ(counters.NumberOfSerializedFiles, 1);
}

TEST_F(ConvertPictureFileTest, SecondRunIntoTheSameFolderOverwritesNothing) {
    options.JPGNameFormat = 0;
    options.AddDeviceName = 0;
    options.ExtractEdited = 0;
    Header other;
    other.Recorded[5] = 10;
    Picture("a.PMP");
    Picture("b.PMP", other);
    Convert();
    const auto first = FileNames(tree / "O");
    std::vector<std::vector<std::uint8_t>> contents;
    for (const auto& name : first) {
        contents.push_back(ReadBytes(tree / "O" / name));
    }
    counters = {};
    Convert();
    EXPECT_EQ(
        FileNames(tree / "O"),
        (std::vector<std::string>{"1999-07-04 @14-05-09 #002.jpg", "1999-07-04 @14-05-09.jpg",
                                  "1999-07-04 @14-05-10 #002.jpg", "1999-07-04 @14-05-10.jpg"}));
    EXPECT_EQ(counters.NumberOfSerializedFiles, 2);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(ReadBytes(tree / "O" / first[i]), contents[i]);
    }
}

TEST_F(ConvertPictureFileTest, ANameTakenBetweenTestAndCreationIsSkipped) {
    options.JPGNameFormat = 0;
    options.AddDeviceName = 0;
    Picture("a.PMP");
    const auto raced = tree / "O" / "1999-07-04 @14-05-09.jpg";
    files.RacedFiles.insert(raced.string());
    Convert();
    EXPECT_EQ(ReadBytes(raced), std::vector<std::uint8_t>({'s', 'o', 'm', 'e', 'o', 'n', 'e', ' ',
                                                           'e', 'l', 's', 'e', '\'', 's'}));
    EXPECT_EQ(ReadBytes(tree / "O" / "1999-07-04 @14-05-09 #002.jpg"), payload);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 1);
    EXPECT_TRUE(user.Messages.empty());
}

TEST_F(ConvertPictureFileTest, SharedNamesCostTheSameAsDistinctOnes) {
    // Every component off: all pictures share one name. The free-name search
    // must not test every earlier name again for each picture.
    options = ConversionOptions{};
    options.SourcePath = (tree / "S").string();
    options.OutputPath = (tree / "O").string();
    options.ExtractRecorded = options.ExtractEdited = options.ExtractComment = 0;
    options.ExtractAlbumNumber = options.ExtractShotNumber = options.AddDeviceName = 0;
    payload = {1};
    for (int i = 0; i < 200; ++i) {
        Picture("p" + std::to_string(i) + ".PMP");
    }
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 200);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 199);
    EXPECT_TRUE(fs::exists(tree / "O" / ".jpg"));
    EXPECT_TRUE(fs::exists(tree / "O" / "{SN=200}.jpg"));
    EXPECT_LE(files.FileExistsCalls, 200);
}

TEST_F(ConvertPictureFileTest, NoFreeNameUpTo32767IsAFailure) {
    options.ExtractRecorded = options.ExtractEdited = options.ExtractComment = 0;
    options.ExtractAlbumNumber = options.ExtractShotNumber = options.AddDeviceName = 0;
    options.JPGNameFormat = 0;
    tree.Write("O/.jpg", "x");
    for (int serial = 2; serial <= 32767; ++serial) {
        std::string digits = std::to_string(serial);
        digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
        std::ofstream(tree / "O" / ("#" + digits + ".jpg"));
    }
    const auto source = Picture("a.PMP");
    options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_EQ(counters.NumberOfFailedFiles, 1);
    EXPECT_TRUE(fs::exists(source));
    ASSERT_EQ(Prompts().size(), 1U);
    EXPECT_EQ(Prompts()[0],
              Problem("Unable to convert source file \"" + source.string() + "\"",
                      "Every serial number up to 32767 is taken for this picture's name"));
}

TEST_F(ConvertPictureFileTest, ARefusedNameIsReportedAndTheRunGoesOn) {
    options.DeleteSourceFiles = 1;
    options.DeviceName = std::string(300, 'D');  // longer than a name may be
    const auto a = Picture("a.PMP");
    Convert();
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{Problem(
                  "Unable to convert source file \"" + a.string() + "\"", "File name too long")});
    EXPECT_TRUE(fs::exists(a));

    user.Messages.clear();
    counters = {};
    options.DeviceName = "../escape";  // a separator must not lead out of the folder
    Convert();
    EXPECT_EQ(counters.NumberOfFailedFiles, 1);
    ASSERT_EQ(Prompts().size(), 1U);
    EXPECT_NE(Prompts()[0].find("holds a character that a file name cannot hold"),
              std::string::npos);
    EXPECT_TRUE(FileNames(tree.Root()).empty());
    EXPECT_TRUE(FileNames(tree / "O").empty());
}

TEST_F(ConvertPictureFileTest, AFailedWriteLeavesNoPartialFileAndKeepsTheSource) {
    options.DeleteSourceFiles = 1;
    files.WriteLimit = 100;
    const auto a = Picture("a.PMP");
    Convert();
    EXPECT_TRUE(FileNames(tree / "O").empty());
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(counters.SourceObjectNumber, 0);
    EXPECT_EQ(counters.NumberOfFailedFiles, 1);
    EXPECT_TRUE(user.Positions.empty());
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             Problem("Unable to convert source file \"" + a.string() + "\"",
                                     "No space left on device")});
}

TEST_F(ConvertPictureFileTest, AFileSizeLimitOfTheSystemIsAFailureToo) {
    options.DeleteSourceFiles = 1;
    const auto a = Picture("a.PMP");
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 512;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    Convert();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(FileNames(tree / "O").empty());
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{Problem(
                  "Unable to convert source file \"" + a.string() + "\"", "File too large")});
}

TEST_F(ConvertPictureFileTest, DeletionModes) {
    const auto setUp = [this] {
        Picture("PSN00001.PMP");
        tree.Write("S/PSN00001.PMX", "x");
        tree.Write("S/PSN00001.PMF", "x");
        tree.Write("S/notes.txt", "x");
        tree.Write("S/old.jpg", "x");
    };
    const std::vector<std::string> all = {"PSN00001.PMF", "PSN00001.PMP", "PSN00001.PMX",
                                          "notes.txt", "old.jpg"};
    const std::pair<ListIndex, std::vector<std::string>> cases[] = {
        {0, all},
        {1, {"PSN00001.PMF", "PSN00001.PMX", "notes.txt", "old.jpg"}},
        {2, {"notes.txt", "old.jpg"}},
        {3, all},
        {-1, all},
    };
    for (const auto& [mode, left] : cases) {
        setUp();
        options.DeleteSourceFiles = mode;
        Convert();
        EXPECT_EQ(FileNames(tree / "S"), left) << mode;
        EXPECT_TRUE(user.Messages.empty());
    }
    // Only the PMP file is ever converted.
    EXPECT_EQ(counters.SourceObjectNumber, 5);
}

TEST_F(ConvertPictureFileTest, ASourceIsFlushedToDiskBeforeItIsDeleted) {
    Picture("a.PMP");
    Convert();
    EXPECT_EQ(files.DurableCommits, 0);  // nothing is deleted: no need to wait for the disk
    options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_EQ(files.DurableCommits, 1);
}

TEST_F(ConvertPictureFileTest, ReadOnlySourceIsConvertedReportedAndKept) {
    options.DeleteSourceFiles = 1;
    const auto a = Picture("a.PMP");
    Header other;
    other.Flash = 0;
    const auto b = Picture("b.PMP", other);
    test::MakeReadOnly(a);
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(counters.NumberOfFailedDeletions, 1);
    EXPECT_TRUE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
    EXPECT_EQ(FileNames(tree / "O").size(), 2U);
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{Problem(
                  "Unable to delete source file \"" + a.string() + "\"", "Permission denied")});
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Information);
    EXPECT_EQ(user.Messages[0].Title, "Convert");
}

TEST_F(ConvertPictureFileTest, PictureFileTestLooksAtTheLastThreeCharacters) {
    for (const char* name : {"a.pmp", "A.Pmp", "PICTURE.XPMP", "NOTEPMP", "PMP"}) {
        EXPECT_TRUE(IsPictureFile(name)) << name;
    }
    for (const char* name : {"PICTURE.PM", "PICTURE.PMP.BAK", "MP", "", "a.PMX"}) {
        EXPECT_FALSE(IsPictureFile(name)) << name;
    }
}

}  // namespace
}  // namespace ostrel
