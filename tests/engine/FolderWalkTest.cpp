// Whole runs over folder trees: subfolder modes, subfolder deletion, links,
// output folders inside the source tree, and folders that fail.

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

#include "CountFiles.h"
#include "EngineFixture.h"

namespace ostrel {
namespace {

using test::FileNames;
using test::Names;
using test::Problem;

class ConvertFilesTest : public test::EngineFixture {
protected:
    // S holds three pictures, S/Alpha two, S/Alpha/Beta one (shots 1 to 6);
    // S/Alpha/Gamma holds none.
    void AlphaBetaTree() {
        for (const char* path :
             {"PSN00001.PMP", "PSN00002.PMP", "PSN00003.PMP", "Alpha/PSN00004.PMP",
              "Alpha/PSN00005.PMP", "Alpha/Beta/PSN00006.PMP"}) {
            Picture(path);
        }
        tree.Folder("S/Alpha/Gamma");
    }
    static std::string Name(int shot) {
        return test::DefaultName + "{VO=00" + std::to_string(shot) + "}.jpg";
    }
};

TEST_F(ConvertFilesTest, EachSubfolderMode) {
    AlphaBetaTree();
    options.DeleteSourceFiles = 1;
    Convert();  // "Do nothing": the top folder only; subfolders are not even deleted from
    EXPECT_EQ(FileNames(tree / "O"), (Names{Name(1), Name(2), Name(3)}));
    EXPECT_FALSE(fs::exists(tree / "O/Alpha"));
    EXPECT_EQ(FileNames(tree / "S/Alpha").size(), 2U);

    AlphaBetaTree();
    options.OutputPath = tree.Folder("All").string();
    counters = {};
    options.ProcessSubfolders = 1;
    Convert();
    EXPECT_EQ(FileNames(tree / "All"), (Names{Name(1), Name(2), Name(3)}));
    EXPECT_EQ(FileNames(tree / "All/Alpha"), (Names{Name(4), Name(5)}));
    EXPECT_EQ(FileNames(tree / "All/Alpha/Beta"), Names{Name(6)});
    EXPECT_TRUE(fs::is_directory(tree / "All/Alpha/Gamma"));
    EXPECT_EQ(user.Position, 6);

    // The top-level folder only (anything above 2 acts as 2), where equal
    // names are told apart by serial numbers, each name its own, in whatever
    // order the folders are listed.
    for (const char* path :
         {"X/PSN00001.PMP", "Y/PSN00001.PMP", "PIC00002/PSN00001.PMP", "Z/PIC00002/PSN00001.PMP"}) {
        Picture(path);
    }
    options.OutputPath = tree.Folder("Top").string();
    options.ProcessSubfolders = 7;
    Convert();
    const std::string date = "{DT=1999-07-04 @14-05-09}",
                      rest = test::DefaultName.substr(date.size());
    EXPECT_EQ(FileNames(tree / "Top"),
              test::Sorted({date + rest + "{VO=001}.jpg", date + "{SN=002}" + rest + "{VO=001}.jpg",
                            date + rest + "{BA=002}{VO=001}.jpg",
                            date + "{SN=002}" + rest + "{BA=002}{VO=001}.jpg"}));
    EXPECT_EQ(counters.NumberOfSerializedFiles, 2);
}

// Every entry below `root`, each file with its size.
Names Everything(const fs::path& root) {
    Names entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        entries.push_back(entry.path().string() + " " +
                          (entry.is_regular_file() ? std::to_string(entry.file_size()) : "/"));
    }
    return test::Sorted(entries);
}

TEST_F(ConvertFilesTest, ADryRunChangesNothingOnDiskInAnyMode) {
    AlphaBetaTree();
    tree.Write("S/Alpha/PSN00004.PMX", "x");
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    const Names before = Everything(tree.Root());
    for (const ListIndex mode : {0, 1, 2}) {
        options.ProcessSubfolders = mode;
        Convert(true);
        EXPECT_EQ(Everything(tree.Root()), before) << mode;
    }
    EXPECT_EQ(counters.SourceObjectNumber, 3 + 6 + 6);
    EXPECT_TRUE(files.Log.empty());
}

TEST_F(ConvertFilesTest, EmptiedSubfoldersAreDeletedAndOthersKept) {
    Picture("Only/PSN00001.PMP");
    tree.Write("S/Only/PSN00001.PMX", "x");
    tree.Write("S/Only/PSN00001.PMF", "x");
    Picture("Kept/PSN00002.PMP");
    tree.Write("S/Kept/notes.txt", "x");
    tree.Folder("S/Hollow/a/b");
    const auto locked = Picture("Locked/PSN00003.PMP");
    // Linux keeps what a read-only folder holds; Windows marks customised
    // folders read-only, so there the file's own attribute decides.
    test::MakeReadOnly(tree / (test::Windows ? "S/Locked/PSN00003.PMP" : "S/Locked"));
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_FALSE(fs::exists(tree / "S/Only"));
    EXPECT_FALSE(fs::exists(tree / "S/Hollow"));
    EXPECT_EQ(FileNames(tree / "S/Kept"), Names{"notes.txt"});
    EXPECT_TRUE(fs::exists(locked));  // even for root
    EXPECT_EQ(user.Prompts,
              Names{Problem("Unable to delete source file", locked.string(), test::Denied())});
    EXPECT_EQ(counters.NumberOfFailedDeletions, 1);

    options.ProcessSubfolders = 0;  // empty subfolders go even when not converted
    tree.Folder("S/Empty/Inner");
    Convert();
    EXPECT_FALSE(fs::exists(tree / "S/Empty"));
    EXPECT_TRUE(fs::exists(tree / "S"));  // the top folder itself is never deleted
}

TEST_F(ConvertFilesTest, OutputInsideTheSourceTreeIsNeverASource) {
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00002.PMP");
    Picture("Out/old/PSN00003.PMP");
    options.OutputPath = (tree / "S/Out").string();
    Convert(true);  // subfolders not processed: nor is the output folder among them mentioned
    EXPECT_TRUE(user.Messages.empty());
    counters = {};
    options.ProcessSubfolders = 1;
    options.DeleteSourceSubfolders = 1;
    options.DeleteSourceFiles = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 2);
    EXPECT_EQ(FileNames(tree / "S/Out").size(), 1U);
    EXPECT_EQ(FileNames(tree / "S/Out/Alpha").size(), 1U);
    EXPECT_FALSE(fs::exists(tree / "S/Out/Out"));
    EXPECT_FALSE(fs::exists(tree / "S/Alpha"));
    // The picture in the output folder is not converted, and not in silence.
    EXPECT_TRUE(fs::exists(tree / "S/Out/old/PSN00003.PMP"));
    EXPECT_EQ(counters.NumberOfLeftFiles, 1);
    EXPECT_EQ(user.Messages.size(), 1U);

    options.OutputPath = options.SourcePath;  // the same folder
    options.DeleteSourceFiles = 0;
    Picture("Beta/PSN00003.PMP");
    Convert();
    EXPECT_EQ(FileNames(tree / "S/Beta").size(), 2U);
}

TEST_F(ConvertFilesTest, AnEmptyOutputFolderInAnEmptySubfolderStays) {
    options.OutputPath = tree.Folder("S/Hollow/Out").string();
    options.ProcessSubfolders = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::is_directory(tree / "S/Hollow/Out"));
    EXPECT_TRUE(user.Messages.empty());  // nor is it said to hold a link
}

#ifndef _WIN32  // symbolic links, and paths longer than the system takes
TEST_F(ConvertFilesTest, LinksNeitherLoopNorLeadDeletionOutOfTheTree) {
    Picture("A/PSN00001.PMP");
    ASSERT_EQ(::symlink("..", (tree / "S/A/up").c_str()), 0);
    ASSERT_EQ(::symlink("../S", (tree / "S/A/again").c_str()), 0);
    tree.Write("Elsewhere/PSN00002.PMP", test::PmpFile({}, payload));
    tree.Write("Elsewhere/Deeper/PSN00003.PMP", test::PmpFile({}, payload));
    tree.Folder("Elsewhere/Empty");
    tree.Folder("S/Hollow");
    // Nothing is read through a link to decide that a folder is empty: one
    // that holds a link is not.
    ASSERT_EQ(::symlink((tree / "Elsewhere").c_str(), (tree / "S/Hollow/link").c_str()), 0);
    ASSERT_EQ(::symlink((tree / "Elsewhere").c_str(), (tree / "S/TopLink").c_str()), 0);
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", true), 3);
    Convert();
    // The pictures outside the tree are converted but stay, reported once.
    EXPECT_EQ(counters.SourceObjectNumber, 3);
    EXPECT_TRUE(fs::exists(tree / "Elsewhere/PSN00002.PMP"));
    EXPECT_TRUE(fs::exists(tree / "Elsewhere/Deeper/PSN00003.PMP"));
    EXPECT_TRUE(fs::exists(tree / "Elsewhere/Empty"));
    EXPECT_TRUE(fs::is_symlink(tree / "S/TopLink"));
    EXPECT_TRUE(fs::is_symlink(tree / "S/Hollow/link"));
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{Problem("Unable to delete source files in", (tree / "S/Hollow/link").string(),
                             "The folder is reached through a link, so its files may lie outside "
                             "the source folder"),
                     Problem("Unable to delete source subfolder", (tree / "S/Hollow").string(),
                             "It holds the link \"" + (tree / "S/Hollow/link").string() +
                                 "\", and nothing is deleted through a link")}));
}

TEST_F(ConvertFilesTest, ALinkIntoTheTreeIsNotWalkedWhereverItSorts) {
    Picture("PIC00001/PSN00001.PMP");
    Picture("PIC00001/PSN00002.PMP");
    for (const char* name : {"A", "Z"}) {
        ASSERT_EQ(::symlink("PIC00001", (tree / "S" / name).c_str()), 0);
    }
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    EXPECT_EQ(CountFiles(files, options.SourcePath, "PMP", true), 2);
    Convert();
    EXPECT_EQ(std::distance(fs::directory_iterator(tree / "O"), {}), 1);
    EXPECT_EQ(FileNames(tree / "O/PIC00001"), (Names{test::DefaultName + "{BA=001}{VO=001}.jpg",
                                                     test::DefaultName + "{BA=001}{VO=002}.jpg"}));
    EXPECT_TRUE(FileNames(tree / "S/PIC00001").empty());
}

// A subfolder that another program replaces between the listing of its parent
// and the moment the run enters it: by a link to a folder elsewhere, or by
// another folder. Nothing is converted or deleted in its place.
struct Replacement {
    const char* Name;
    int AtEntering;  // the subfolder's first entering is its conversion, the second its test for
                     // emptiness
    bool ByLink;
};

void PrintTo(const Replacement& replacement, std::ostream* out) {
    *out << replacement.Name;
}

class ReplacedFolders : public ConvertFilesTest,
                        public ::testing::WithParamInterface<Replacement> {};

TEST_P(ReplacedFolders, AreReportedAndNothingInTheirPlaceIsTouched) {
    const Replacement& replacement = GetParam();
    Picture("PIC00001/PSN00001.PMP");
    Picture("PIC00003/PSN00002.PMP");
    tree.Write("Victim/PSN00009.PMP", test::PmpFile({}, payload));
    tree.Folder("Victim/Hollow");
    int entered = 0;
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && ++entered == replacement.AtEntering) {
            fs::rename(tree / "S/PIC00003", tree / "Moved");
            if (replacement.ByLink) {
                fs::create_directory_symlink(tree / "Victim", tree / "S/PIC00003");
            } else {
                fs::rename(tree / "Victim", tree / "S/PIC00003");
            }
        }
    };
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    Convert();
    const fs::path victim = replacement.ByLink ? tree / "Victim" : tree / "S/PIC00003";
    EXPECT_EQ(FileNames(victim), Names{"PSN00009.PMP"});
    EXPECT_TRUE(fs::is_directory(victim / "Hollow"));
    EXPECT_FALSE(fs::exists(tree / "S/PIC00001"));
    const bool converting = replacement.AtEntering == 1;
    EXPECT_EQ(counters.SourceObjectNumber, converting ? 1 : 2);
    EXPECT_EQ(FileNames(tree / "Moved"), converting ? Names{"PSN00002.PMP"} : Names{});
    EXPECT_EQ(user.Prompts,
              Names{Problem(
                  converting ? "Unable to read source folder" : "Unable to delete source subfolder",
                  (tree / "S/PIC00003").string(), "It was replaced while the conversion ran")});
}

INSTANTIATE_TEST_SUITE_P(
    BetweenListingAndEntering, ReplacedFolders,
    ::testing::Values(Replacement{"ByALinkBeforeItsConversion", 1, true},
                      Replacement{"ByAnotherFolderBeforeItsConversion", 1, false},
                      Replacement{"ByALinkBeforeItsEmptinessTest", 2, true},
                      Replacement{"ByAnotherFolderBeforeItsEmptinessTest", 2, false}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST_F(ConvertFilesTest, AFolderReplacedByAnEmptyOneKeepsTheFoldersAboveIt) {
    // Its pictures went elsewhere with it; what stands in its place now is
    // another program's, and the folders above are not emptied of it.
    Picture("Album/PIC00003/PSN00002.PMP");
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && !fs::exists(tree / "Moved")) {
            fs::rename(tree / "S/Album/PIC00003", tree / "Moved");
            fs::create_directory(tree / "S/Album/PIC00003");
        }
    };
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::is_directory(tree / "S/Album/PIC00003"));
    EXPECT_EQ(FileNames(tree / "Moved"), Names{"PSN00002.PMP"});
    EXPECT_EQ(user.Prompts.size(), 1U);
}

TEST_F(ConvertFilesTest, AnEmptyFolderReplacedJustBeforeItsRemovalStays) {
    tree.Folder("S/Hollow");
    files.BeforeRemoving = [&](const Folder&) {
        fs::rename(tree / "S/Hollow", tree / "Moved");
        fs::create_directory(tree / "S/Hollow");
    };
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_TRUE(fs::is_directory(tree / "S/Hollow"));
    EXPECT_EQ(user.Prompts,
              Names{Problem("Unable to delete source subfolder", (tree / "S/Hollow").string(),
                            "It was replaced while the conversion ran")});
}

TEST_F(ConvertFilesTest, NothingOutsideTheTreeIsDeletedWhileAnotherProgramSwapsInLinks) {
    // Runs over a tree in which another program keeps swapping a subfolder
    // for a link to a folder elsewhere and back, at every moment of the run.
    for (int shot = 1; shot <= 20; ++shot) {
        tree.Write("Victim/PSN" + std::to_string(10000 + shot) + ".PMP",
                   test::PmpFile({}, payload));
    }
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 2;
    options.DeleteSourceSubfolders = 1;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int run = 0; run < 200 && std::chrono::steady_clock::now() < until; ++run) {
        for (const char* folder : {"A", "B"}) {
            for (int shot = 1; shot <= 5; ++shot) {
                Picture(std::string(folder) + "/PSN0000" + std::to_string(shot) + ".PMP");
            }
        }
        std::atomic<bool> done = false;
        std::thread swapper([&] {
            while (!done) {
                if (::rename((tree / "S/B").c_str(), (tree / "Away").c_str()) == 0) {
                    ::symlink((tree / "Victim").c_str(), (tree / "S/B").c_str());
                    std::this_thread::sleep_for(std::chrono::microseconds(200 + 37 * run));
                    ::unlink((tree / "S/B").c_str());
                    ::rename((tree / "Away").c_str(), (tree / "S/B").c_str());
                }
            }
        });
        Convert();
        done = true;
        swapper.join();
        ASSERT_EQ(FileNames(tree / "Victim").size(), 20U) << "run " << run;
        fs::remove_all(tree / "S");
        fs::remove_all(tree / "Away");
        fs::remove_all(tree / "O");
        tree.Folder("S");
        tree.Folder("O");
    }
}

TEST_F(ConvertFilesTest, AWalkOverManyFoldersHoldsFewOpenAtOnce) {
    // The deletions that wait for a flush hold their folders open: 300 of
    // them in one batch would take more descriptors than this process has.
    for (int folder = 0; folder < 300; ++folder) {
        Picture("F" + std::to_string(folder) + "/PSN00001.PMP");
    }
    options.ProcessSubfolders = 2;
    options.DeleteSourceFiles = 1;
    options.SerialNumberMode = 2;
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit few { 300, 300 };
        ::setrlimit(RLIMIT_NOFILE, &few);
        Convert();
        ::_exit(user.Prompts.empty() && counters.SourceObjectNumber == 300 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(tree / "S"), {}),
              300);  // folders only
}

TEST_F(ConvertFilesTest, AFolderDeeperThanAnyPathIsConvertedAndEmptied) {
    // Every folder is reached from the one above it, never by its whole path.
    const std::string deep = tree.TooDeep("S/Deep", test::PmpFile({}, payload));
    options.ProcessSubfolders = 1;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_TRUE(user.Prompts.empty());
    EXPECT_FALSE(fs::exists(tree / "S/Deep"));
    EXPECT_EQ(written.size(), 1U);
    EXPECT_EQ(written[0].substr(0, (tree / "O/Deep/").string().size()),
              (tree / "O/Deep/").string());
}
#endif

TEST_F(ConvertFilesTest, FoldersThatFailAreReportedAndTheirSubtreesLeftAlone) {
    Picture("Bad/PSN00001.PMP");
    Picture("Good/PSN00003.PMP");
    files.BeforeListing = [](const Folder& folder) {
        if (folder.Name == "Bad") {
            throw FileSystemError(test::Denied(), EACCES);
        }
    };
    options.ProcessSubfolders = 2;
    options.DeleteSourceFiles = 1;
    options.DeleteSourceSubfolders = 1;
    Convert();
    EXPECT_FALSE(fs::exists(tree / "S/Good"));
    EXPECT_THROW(CountFiles(files, options.SourcePath, "PMP", true), FileSystemError);

    Picture("Blocked/PSN00002.PMP");
    tree.Write("O/Blocked", "a file in the way");
    options.ProcessSubfolders = 1;  // an output subfolder that cannot be made
    Convert();
    EXPECT_EQ(counters.SourceObjectNumber, 1);
    EXPECT_EQ(counters.NumberOfSkippedFolders, 3);
    EXPECT_EQ(counters.NumberOfFailedFiles, 1);  // Blocked's, whose output folder is not there
    EXPECT_TRUE(fs::exists(tree / "S/Bad/PSN00001.PMP"));
    EXPECT_TRUE(fs::exists(tree / "S/Blocked/PSN00002.PMP"));
    const std::string bad = (tree / "S/Bad").string();
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{Problem("Unable to create output folder", (tree / "O/Blocked").string(),
                             "File exists"),
                     Problem("Unable to read source folder", bad, test::Denied()),
                     Problem("Unable to read source folder", bad, test::Denied())}));
}

}  // namespace
}  // namespace ostrel
