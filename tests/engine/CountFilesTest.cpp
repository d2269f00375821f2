#include <unistd.h>

#include "EngineFixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

using CountFilesTest = test::EngineFixture;

TEST_F(CountFilesTest, CountsByTheLastThreeCharacters) {
    const std::string s = options.SourcePath;
    EXPECT_EQ(CountFiles(files, s, "PMP", true), 0);
    EXPECT_EQ(CountFiles(files, s, "*", true), 0);
    for (const char* name : {"a.pmp", "A.Pmp", "B.PMP", "PICTURE.XPMP", "NOTEPMP", "PMP",
                             "PICTURE.PM", "PICTURE.PMP.BAK", "x.PMX"}) {
        tree.Write(std::string("S/") + name, "x");
    }
    tree.Write("S/sub/deeper/c.PMP", "x");
    tree.Folder("S/empty/empty");
    EXPECT_EQ(CountFiles(files, s, "PMP", false), 6);
    EXPECT_EQ(CountFiles(files, s, "pmp", false), 6);
    EXPECT_EQ(CountFiles(files, s, "PMP", true), 7);
    EXPECT_EQ(CountFiles(files, s, "*", false), 9);
    EXPECT_EQ(CountFiles(files, s, "*", true), 10);
    EXPECT_EQ(CountFiles(files, (tree / "S/empty").string(), "*", true), 0);
}

TEST_F(CountFilesTest, FailuresGoToTheCaller) {
    EXPECT_THROW(CountFiles(files, (tree / "missing").string(), "PMP", true), FileSystemError);
    tree.Folder("S/bad");
    files.UnlistableFolders.insert((tree / "S/bad").string());
    EXPECT_THROW(CountFiles(files, options.SourcePath, "PMP", true), FileSystemError);
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", false), 0);
}

TEST_F(CountFilesTest, EndsOnLinkCyclesAndSkipsWhatItIsTold) {
    tree.Write("S/a/one.PMP", "x");
    ASSERT_EQ(::symlink("..", (tree / "S/a/loop").c_str()), 0);
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", true), 1);
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", true,
                         {files.GetFolder((tree / "S/a").string()).Id}),
              0);
}

}  // namespace
}  // namespace ostrel
