// Whole runs over folder trees: subfolder modes, subfolder deletion, links,
// output folders inside the source tree, and folders that fail.

#include <unistd.h>

#include "EngineFixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

using test::EngineFixture;
using test::FileNames;
using test::Header;

class ConvertFilesTest : public EngineFixture {
  protected:
    // S holds three pictures, S/Alpha two, S/Alpha/Beta one, each with its own
    // name (the shot number differs).
    void AlphaBetaTree() {
        Picture("PSN00001.PMP");
        Picture("PSN00002.PMP");
        Picture("PSN00003.PMP");
        Picture("Alpha/PSN00004.PMP");
        Picture("Alpha/PSN00005.PMP");
        Picture("Alpha/Beta/PSN00006.PMP");
        tree.Folder("S/Alpha/Gamma");  // no picture at all
    }

    static std::string Name(int shot) {
        return test::DefaultName() + "{VO=00" + std::to_string(shot) + "}.jpg";
    }
};

TEST_F(ConvertFilesTest, DoNothingConvertsTheTopFolderOnly) {
    AlphaBetaTree();
    options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_EQ(FileNames(tree / "O"), (std::vector<std::string>{Name(1), Name(2), Name(3)}));
    EXPECT_FALSE(fs::exists(tree / "O/Alpha"));
    // Pictures in subfolders are neither converted nor deleted.
    EXPECT_EQ(FileNames(tree / "S/Alpha").size(), 2U);
    EXPECT_EQ(counters.SourceObjectNumber, 3);
}

TEST_F(ConvertFilesTest, MatchingSubfolders) {
    AlphaBetaTree();
    options.ProcessSubfolders = 1;
    Convert();
    EXPECT_EQ(FileNames(tree / "O"), (std::vector<std::string>{Name(1), Name(2), Name(3)}));
    EXPECT_EQ(FileNames(tree / "O/Alpha"), (std::vector<std::string>{Name(4), Name(5)}));
    EXPECT_EQ(FileNames(tree / "O/Alpha/Beta"), std::vector<std::string>{Name(6)});
    EXPECT_TRUE(fs::is_directory(tree / "O/Alpha/Gamma"));
    EXPECT_EQ(counters.SourceObjectNumber, 6);
    EXPECT_EQ(user.Positions, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(written.size(), 6U);
}

TEST_F(ConvertFilesTest, TopLevelFolderTellsEqualNamesApartBySerialNumbers) {
    Picture("PIC00001/PSN00001.PMP");
    Picture("PIC00002/PSN00001.PMP");
    Picture("X/PSN00001.PMP");
    Picture("Y/PSN00001.PMP");
    options.ProcessSubfolders = 7;  // anything above 2 acts as 2
    Convert();
    const auto names = FileNames(tree / "O");
    ASSERT_EQ(names.size(), 4U);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.find("{SN=002}") != n.npos; }),
              1);
    EXPECT_NE(std::find(names.begin(), names.end(), test::DefaultName() + "{BA=001}{VO=001}.jpg"),
              names.end());
    EXPECT_EQ(counters.NumberOfSerializedFiles, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree / "O"), fs::directory_iterator()), 4);
}

TEST_F(ConvertFilesTest, EmptiedSubfoldersAreDeletedAfterTheirConversion) {
    Picture("Only/PSN00001.PMP");
    tree.Write("S/Only/PSN00001.PMX", "x");
    tree.Write("S/Only/PSN00001.PMF", "x");
    Picture("Kept/PSN00002.PMP");
    tree.Write("S/Kept/notes.txt", "x");
    tree.Folder("Hollow/a/b");
    tree.Folder("Hollow/c");
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_FALSE(fs::exists(tree / "S/Only"));
    EXPECT_FALSE(fs::exists(tree / "S/Hollow"));
    EXPECT_EQ(FileNames(tree / "S/Kept"), std::vector<std::string>{"notes.txt"});
    EXPECT_TRUE(fs::exists(tree / "S"));  // the top folder itself is never deleted
    EXPECT_EQ(FileNames(tree / "O/Only").size(), 1U);
    EXPECT_TRUE(user.Messages.empty());
}

TEST_F(ConvertFilesTest, EmptySubfoldersGoEvenWhenSubfoldersAreNotConverted) {
    tree.Folder("S/Empty/Inner");
    Picture("Full/PSN00001.PMP");
    options.DeleteSourceSubfolders = 1;
    options.DeleteSourceFiles = 2;
    Convert();
    EXPECT_FALSE(fs::exists(tree / "S/Empty"));
    EXPECT_TRUE(fs::exists(tree / "S/Full/PSN00001.PMP"));
    options.DeleteSourceSubfolders = 2;  // any other value does nothing
    tree.Folder("S/Empty2");
    Convert();
    EXPECT_TRUE(fs::exists(tree / "S/Empty2"));
}

TEST_F(ConvertFilesTest, AReadOnlySubfolderIsReportedAndKept) {
    tree.Folder("S/Locked/Inner");
    test::MakeReadOnly(tree / "S/Locked");
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::exists(tree / "S/Locked/Inner"));
    const std::string path = (tree / "S/Locked").string();
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             "Unable to delete source subfolder \"" + path +
                             "\"\r\ndue to the following problem: Permission denied.\r\n\r\n"
                             "Remainder of conversion will proceed normally."});
    EXPECT_EQ(counters.NumberOfFailedDeletions, 1);
}

TEST_F(ConvertFilesTest, OutputInsideTheSourceTreeIsNeverASource) {
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00002.PMP");
    options.OutputPath = (tree / "S/Out").string();
    tree.Folder("S/Out");
    options.ProcessSubfolders = 1;
    options.DeleteSourceSubfolders = 1;
    options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(FileNames(tree / "S/Out").size(), 1U);
    EXPECT_EQ(FileNames(tree / "S/Out/Alpha").size(), 1U);
    EXPECT_FALSE(fs::exists(tree / "S/Out/Out"));
    EXPECT_FALSE(fs::exists(tree / "S/Alpha"));
    EXPECT_TRUE(user.Messages.empty());
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", true,
                         {files.GetFolder(options.OutputPath).Id}),
              0);
}

TEST_F(ConvertFilesTest, SourceAndOutputTheSameFolder) {
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00002.PMP");
    options.OutputPath = options.SourcePath;
    options.ProcessSubfolders = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(FileNames(tree / "S").size(), 2U);
    EXPECT_EQ(FileNames(tree / "S/Alpha").size(), 2U);
}

TEST_F(ConvertFilesTest, LinkCyclesEnd) {
    Picture("A/PSN00001.PMP");
    ASSERT_EQ(::symlink("..", (tree / "S/A/up").c_str()), 0);
    ASSERT_EQ(::symlink("../S", (tree / "S/A/again").c_str()), 0);
    options.ProcessSubfolders = 1;
    options.DeleteSourceSubfolders = 1;
    const std::int32_t counted = CountFiles(files, options.SourcePath, "PMP", true);
    Convert();
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_TRUE(fs::exists(tree / "S/A/PSN00001.PMP"));
}

TEST_F(ConvertFilesTest, DeletionNeverFollowsALinkOutOfTheTree) {
    tree.Folder("Elsewhere/Empty");
    tree.Folder("S/Hollow");
    ASSERT_EQ(::symlink((tree / "Elsewhere").c_str(), (tree / "S/Hollow/link").c_str()), 0);
    ASSERT_EQ(::symlink((tree / "Elsewhere").c_str(), (tree / "S/TopLink").c_str()), 0);
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::exists(tree / "Elsewhere/Empty"));
    EXPECT_TRUE(fs::is_symlink(tree / "S/TopLink"));
    EXPECT_TRUE(fs::is_symlink(tree / "S/Hollow/link"));
}

TEST_F(ConvertFilesTest, AnUnreadableFolderIsReportedAndSkipped) {
    Picture("PSN00001.PMP");
    Picture("Bad/PSN00002.PMP");
    Picture("Good/PSN00003.PMP");
    files.UnlistableFolders.insert((tree / "S/Bad").string());
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(counters.NumberOfSkippedFolders, 1);
    EXPECT_TRUE(fs::exists(tree / "S/Bad/PSN00002.PMP"));
    EXPECT_FALSE(fs::exists(tree / "S/Good"));
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             "Unable to read source folder \"" + (tree / "S/Bad").string() +
                             "\"\r\ndue to the following problem: Permission denied.\r\n\r\n"
                             "Remainder of conversion will proceed normally."});
}

TEST_F(ConvertFilesTest, AnOutputFolderThatCannotBeMadeSkipsItsSubtree) {
    Picture("Alpha/PSN00001.PMP");
    Picture("Beta/PSN00002.PMP");
    tree.Write("O/Alpha", "a file in the way");
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::exists(tree / "S/Alpha/PSN00001.PMP"));
    EXPECT_FALSE(fs::exists(tree / "S/Beta"));
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             "Unable to create output folder \"" + (tree / "O/Alpha").string() +
                             "\"\r\ndue to the following problem: File exists.\r\n\r\n"
                             "Remainder of conversion will proceed normally."});
}

TEST_F(ConvertFilesTest, DryRunChangesNothingAndPlansDistinctNames) {
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00001.PMP");
    Picture("Alpha/PSN00001b.PMP");
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert(true);
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_TRUE(fs::exists(tree / "S/Alpha/PSN00001.PMP"));
    ASSERT_EQ(written.size(), 3U);
    EXPECT_EQ(written[1].substr(0, (tree / "O/Alpha").string().size()),
              (tree / "O/Alpha").string());
    EXPECT_NE(written[1], written[2]);
    EXPECT_EQ(counters.NumberOfSerializedFiles, 0);
}

}  // namespace
}  // namespace ostrel
