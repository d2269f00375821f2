// Converting single PMP files: bytes, names, serial numbers, deletion, failures.

#include <fstream>

#include "EngineFixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using test::FileNames;
using test::Problem;
using test::ReadBytes;
using Names = std::vector<std::string>;

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

TEST_F(ConvertPictureFileTest, CopiesTheJpegBytesExactly) {
    payload = {0x00, 0x0A, 0x0D, 0x1A, 0x0D, 0x0A, 0x00};
    for (int b = 0x80; b <= 0xFF; ++b) {
        payload.push_back(static_cast<std::uint8_t>(b));
    }
    Picture("PSN00001.PMP");
    Convert();
    const fs::path jpg = tree / "O" / (test::DefaultName + "{VO=001}.jpg");
    EXPECT_EQ(ReadBytes(jpg), payload);
    EXPECT_EQ(written, Names{jpg.string()});
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_TRUE(user.Messages.empty());
}

TEST_F(ConvertPictureFileTest, SerialNumbersNeverOverwriteAFile) {
    DateOnly();
    Picture("a.PMP");
    Picture("b.PMP");
    tree.Write("O/1999-07-04 @14-05-09 #003.jpg", "keep");
    files.RacedFiles.insert((tree / "O/1999-07-04 @14-05-09 #002.jpg").string());
    Convert();  // #002 is taken by someone else between the test and the creation
    EXPECT_EQ(FileNames(tree / "O"),
              (Names{"1999-07-04 @14-05-09 #002.jpg", "1999-07-04 @14-05-09 #003.jpg",
                     "1999-07-04 @14-05-09 #004.jpg", "1999-07-04 @14-05-09.jpg"}));
    EXPECT_EQ(ReadBytes(tree / "O/1999-07-04 @14-05-09 #003.jpg"),
              (test::Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(ReadBytes(tree / "O/1999-07-04 @14-05-09 #004.jpg"), payload);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 1);
    EXPECT_EQ(user.CallsStartingWith("pos:"), (Names{"pos:1", "pos:2"}));
    Convert();  // the same folder again: every picture gets the next free number
    EXPECT_EQ(FileNames(tree / "O").size(), 6U);
    EXPECT_EQ(ReadBytes(tree / "O/1999-07-04 @14-05-09 #003.jpg"),
              (test::Bytes{'k', 'e', 'e', 'p'}));

    options.SerialNumberMode = 2;  // "Always": the first attempt is 001
    fs::remove_all(tree / "O");
    tree.Folder("O");
    counters = {};
    Convert();
    EXPECT_EQ(FileNames(tree / "O"),
              (Names{"1999-07-04 @14-05-09 #001.jpg", "1999-07-04 @14-05-09 #002.jpg"}));
    EXPECT_EQ(counters.NumberOfSerializedFiles, 1);
}

TEST_F(ConvertPictureFileTest, SharedNamesStayLinearAndEndAt32767) {
    options.ExtractRecorded = options.ExtractEdited = options.ExtractComment = 0;
    options.ExtractAlbumNumber = options.ExtractShotNumber = options.AddDeviceName = 0;
    for (int serial = 2; serial <= 32766; ++serial) {
        char name[16];
        std::snprintf(name, sizeof name, "{SN=%03d}.jpg", serial);
        std::ofstream(tree / "O" / name);
    }
    payload = {1};
    for (const char* name : {"a.PMP", "b.PMP", "c.PMP"}) {
        Picture(name);
    }
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_TRUE(fs::exists(tree / "O/.jpg") && fs::exists(tree / "O/{SN=32767}.jpg"));
    EXPECT_LE(files.FileExistsCalls, 32767);  // no taken name is tested twice
    ASSERT_EQ(user.Messages.size(), 1U);
    EXPECT_TRUE(user.Messages[0].Prompt.ends_with(
        "due to the following problem: Every serial number up to 32767 is taken for this "
        "picture's name.\r\n\r\nRemainder of conversion will proceed normally."));
}

TEST_F(ConvertPictureFileTest, FilesThatCannotBeConvertedAreReportedAndKept) {
    options.DeleteSourceFiles = 1;
    const auto empty = tree.Write("S/empty.PMP", test::Header{}.Get());  // no picture data
    const auto a = Picture("a.PMP");
    options.DeviceName = std::string(300, 'D');
    Convert();
    options.DeviceName = "../escape";  // a separator must not lead out of the folder
    fs::remove(empty);
    Convert();
    options.DeviceName = "Sony DSC-F1";
    files.WriteLimit = 100;  // the disk fills up
    Convert();
    EXPECT_TRUE(fs::exists(a));
    EXPECT_TRUE(FileNames(tree / "O").empty());
    EXPECT_TRUE(FileNames(tree.Root()).empty());
    EXPECT_EQ(counters.SourceObjectNumber, 0);
    EXPECT_EQ(counters.NumberOfFailedFiles, 4);
    std::vector<std::string> prompts = user.Prompts();
    ASSERT_EQ(prompts.size(), 4U);
    EXPECT_EQ(std::set<std::string>(prompts.begin(), prompts.begin() + 2),
              (std::set<std::string>{
                  Unconverted(a, "File name too long"),
                  Unconverted(empty, "The file holds no picture data after its 124-byte header")}));
    EXPECT_NE(prompts[2].find("holds a character that a file name cannot hold"), std::string::npos);
    EXPECT_EQ(prompts[3], Unconverted(a, "No space left on device"));
    EXPECT_EQ(user.Messages[3].Title, "Convert");
    EXPECT_EQ(user.Messages[3].Kind, MessageKind::Information);
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
    EXPECT_TRUE(user.Messages.empty());
    EXPECT_EQ(counters.SourceObjectNumber, 4);  // only the PMP file is ever converted
    EXPECT_EQ(files.DurableCommits, 2);         // on the disk before its source goes
}

TEST_F(ConvertPictureFileTest, AReadOnlySourceIsConvertedReportedAndKept) {
    options.DeleteSourceFiles = 1;
    DateOnly();
    const auto a = Picture("a.PMP");
    const auto b = Picture("b.PMP");
    test::MakeReadOnly(a);
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(counters.NumberOfFailedDeletions, 1);
    EXPECT_TRUE(fs::exists(a) && !fs::exists(b));
    EXPECT_EQ(user.Prompts(),
              Names{Problem("Unable to delete source file", a.string(), "Permission denied")});
}

TEST(IsPictureFile, LooksAtTheLastThreeCharactersOnly) {
    for (const char* name : {"a.pmp", "A.Pmp", "PICTURE.XPMP", "NOTEPMP", "PMP"}) {
        EXPECT_TRUE(IsPictureFile(name)) << name;
    }
    for (const char* name : {"PICTURE.PM", "PICTURE.PMP.BAK", "MP", "", "a.PMX"}) {
        EXPECT_FALSE(IsPictureFile(name)) << name;
    }
}

}  // namespace
}  // namespace ostrel
