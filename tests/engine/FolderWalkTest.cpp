// Whole runs over folder trees: subfolder modes, subfolder deletion, links,
// output folders inside the source tree, folders that fail or are replaced,
// and runs that stop.

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
using test::Problems;
using test::SystemProblem;

std::string ThreeDigits(int number) {
    const std::string digits = std::to_string(number);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

// The name of the default picture with this shot number, in the album
// `album` (none when 0).
std::string Name(int shot, int album = 0) {
    const std::string albumTag = album > 0 ? "{BA=" + ThreeDigits(album) + "}" : "";
    return test::DefaultName + albumTag + "{VO=" + ThreeDigits(shot) + "}.jpg";
}

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
    void DeleteEverything() {
        config.Options.DeleteFiles = SourceDeletion::AllSonyFiles;
        config.Options.DeleteEmptySubfolders = true;
    }
};

TEST_F(ConvertFilesTest, WithoutSubfoldersOnlyTheTopFolderIsConvertedAndDeletedFrom) {
    AlphaBetaTree();
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    Convert();
    EXPECT_EQ(FileNames(output), (Names{Name(1), Name(2), Name(3)}));
    EXPECT_FALSE(fs::exists(output / "Alpha"));
    EXPECT_EQ(FileNames(source / "Alpha").size(), 2U);
}

TEST_F(ConvertFilesTest, MatchingSubfoldersAreMadeForEverySubfolder) {
    AlphaBetaTree();
    config.Options.Subfolders = SubfolderMode::Matching;
    Convert();
    EXPECT_EQ(FileNames(output), (Names{Name(1), Name(2), Name(3)}));
    EXPECT_EQ(FileNames(output / "Alpha"), (Names{Name(4), Name(5)}));
    EXPECT_EQ(FileNames(output / "Alpha/Beta"), Names{Name(6)});
    EXPECT_TRUE(fs::is_directory(output / "Alpha/Gamma"));
    EXPECT_EQ(events.Written.size(), 6U);
}

TEST_F(ConvertFilesTest, TheTopLevelTellsEqualNamesApartBySerialNumbersEachNameItsOwn) {
    for (const char* path :
         {"X/PSN00001.PMP", "Y/PSN00001.PMP", "PIC00002/PSN00001.PMP", "Z/PIC00002/PSN00001.PMP"}) {
        Picture(path);
    }
    config.Options.Subfolders = SubfolderMode::TopLevel;
    Convert();
    const std::string date = "{DT=1999-07-04 @14-05-09}",
                      rest = test::DefaultName.substr(date.size());
    EXPECT_EQ(FileNames(output),
              test::Sorted({date + rest + "{VO=001}.jpg", date + "{SN=002}" + rest + "{VO=001}.jpg",
                            date + rest + "{BA=002}{VO=001}.jpg",
                            date + "{SN=002}" + rest + "{BA=002}{VO=001}.jpg"}));
    EXPECT_EQ(events.Serialized(), 2);
}

TEST_F(ConvertFilesTest, EachMatchingOutputFolderHasSerialNumbersOfItsOwn) {
    Picture("A/PSN00001.PMP");
    Picture("B/PSN00001.PMP");
    config.Options.Subfolders = SubfolderMode::Matching;
    Convert();
    EXPECT_EQ(FileNames(output / "A"), Names{Name(1)});
    EXPECT_EQ(FileNames(output / "B"), Names{Name(1)});
    EXPECT_EQ(events.Serialized(), 0);
}

TEST_F(ConvertFilesTest, FoldersWhoseNamesShareABeginningAreEachTheirOwn) {
    Picture("PIC0001/PSN00001.PMP");
    Picture("PIC00010/PSN00001.PMP");
    Picture("PIC000100/PSN00001.PMP");
    config.Options.Subfolders = SubfolderMode::Matching;
    Convert();
    EXPECT_EQ(FileNames(output / "PIC0001"), Names{Name(1)});
    EXPECT_EQ(FileNames(output / "PIC00010"), Names{Name(1, 10)});
    EXPECT_EQ(FileNames(output / "PIC000100"), Names{Name(1)});
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

class DryRuns : public ConvertFilesTest, public ::testing::WithParamInterface<SubfolderMode> {};

TEST_P(DryRuns, ChangeNothingOnDisk) {
    AlphaBetaTree();
    tree.Write("S/Alpha/PSN00004.PMX", "x");
    DeleteEverything();
    config.Options.Subfolders = GetParam();
    config.DryRun = true;
    const Names before = Everything(tree.Root());
    Convert();
    EXPECT_EQ(Everything(tree.Root()), before);
    EXPECT_EQ(events.Written.size(), GetParam() == SubfolderMode::None ? 3U : 6U);
    EXPECT_TRUE(files.Log.empty());
    EXPECT_TRUE(events.Problems.empty());
}

INSTANTIATE_TEST_SUITE_P(InEveryMode, DryRuns,
                         ::testing::Values(SubfolderMode::None, SubfolderMode::Matching,
                                           SubfolderMode::TopLevel));

TEST_F(ConvertFilesTest, EmptiedSubfoldersAreDeletedAndOthersKept) {
    Picture("Only/PSN00001.PMP");
    tree.Write("S/Only/PSN00001.PMX", "x");
    tree.Write("S/Only/PSN00001.PMF", "x");
    Picture("Kept/PSN00002.PMP");
    tree.Write("S/Kept/notes.txt", "x");
    tree.Folder("S/Hollow/a/b");
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_FALSE(fs::exists(source / "Only"));
    EXPECT_FALSE(fs::exists(source / "Hollow"));
    EXPECT_EQ(FileNames(source / "Kept"), Names{"notes.txt"});
    EXPECT_TRUE(events.Problems.empty());
}

TEST_F(ConvertFilesTest, AReadOnlySourceAndItsFolderStayEvenForRoot) {
    const auto locked = Picture("Locked/PSN00003.PMP");
    // Linux keeps what a read-only folder holds; Windows marks customised
    // folders read-only, so there the file's own attribute decides.
    test::MakeReadOnly(test::Windows ? locked : source / "Locked");
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_EQ(events.Problems,
              (Problems{SystemProblem(Action::DeleteFile, locked, test::Denied())}));
}

TEST_F(ConvertFilesTest, EmptySubfoldersGoEvenWhenSubfoldersAreNotConverted) {
    tree.Folder("S/Empty/Inner");
    Picture("Full/PSN00001.PMP");
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_FALSE(fs::exists(source / "Empty"));
    EXPECT_TRUE(fs::exists(source / "Full/PSN00001.PMP"));
    EXPECT_TRUE(fs::exists(source));  // the top folder itself is never deleted
}

TEST_F(ConvertFilesTest, AnOutputFolderInsideTheSourceTreeIsNoSource) {
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00002.PMP");
    Picture("Out/old/PSN00003.PMP");
    output = source / "Out";
    config.Options.Subfolders = SubfolderMode::Matching;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_EQ(events.Written.size(), 2U);
    EXPECT_EQ(FileNames(output).size(), 1U);
    EXPECT_EQ(FileNames(output / "Alpha").size(), 1U);
    EXPECT_FALSE(fs::exists(output / "Out"));
    EXPECT_FALSE(fs::exists(source / "Alpha"));
    // The picture in the output folder is not converted, and not in silence.
    EXPECT_TRUE(fs::exists(output / "old/PSN00003.PMP"));
    RunProblem left = Problem(Action::ConvertFolder, output, Cause::WritesIntoFolder);
    left.Because.FilesLeft = 1;
    EXPECT_EQ(events.Problems, Problems{left});
}

TEST_F(ConvertFilesTest, AnOutputFolderInsideTheSourceIsNotMentionedWithoutSubfolders) {
    Picture("PSN00001.PMP");
    Picture("Out/old/PSN00003.PMP");
    output = source / "Out";
    tree.Folder("S/Out");
    Convert();
    EXPECT_TRUE(events.Problems.empty());
}

TEST_F(ConvertFilesTest, ASourceThatIsItsOwnOutputFolderIsConvertedOnce) {
    Picture("Beta/PSN00003.PMP");
    output = source;
    config.Options.Subfolders = SubfolderMode::Matching;
    Convert();
    EXPECT_EQ(FileNames(source / "Beta").size(), 2U);
    EXPECT_EQ(events.Written.size(), 1U);
}

TEST_F(ConvertFilesTest, AnEmptyOutputFolderInAnEmptySubfolderStays) {
    output = tree.Folder("S/Hollow/Out");
    config.Options.Subfolders = SubfolderMode::TopLevel;
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_TRUE(fs::is_directory(output));
    EXPECT_TRUE(events.Problems.empty());  // nor is it said to hold a link
}

TEST_F(ConvertFilesTest, LostAndFoundAtTheTopOfAFileSystemIsNeitherDeletedNorMade) {
    tree.Folder("S/lost+found");
    Picture("lost+found/PSN00001.PMP");
    files.FileSystemTop = [&](const Folder& folder) {
        return folder.Path == source.string() || folder.Path == output.string();
    };
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_TRUE(fs::exists(source / "lost+found/PSN00001.PMP"));
    EXPECT_FALSE(fs::exists(output / "lost+found"));
    RunProblem notMade =
        Problem(Action::CreateFolder, output / "lost+found", Cause::FileSystemFolder);
    notMade.Because.FilesLeft = 1;
    EXPECT_EQ(events.Problems, Problems{notMade});
}

TEST_F(ConvertFilesTest, LostAndFoundElsewhereIsAFolderLikeAnyOther) {
    tree.Folder("S/lost+found");
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_FALSE(fs::exists(source / "lost+found"));
}

TEST_F(ConvertFilesTest, AFolderThatCannotBeReadIsReportedAndItsTreeLeftAlone) {
    Picture("Bad/PSN00001.PMP");
    Picture("Good/PSN00003.PMP");
    files.BeforeListing = [](const Folder& folder) {
        if (folder.Name == "Bad") {
            throw FileSystemError(test::Denied(), EACCES);
        }
    };
    config.Options.Subfolders = SubfolderMode::TopLevel;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_FALSE(fs::exists(source / "Good"));
    EXPECT_TRUE(fs::exists(source / "Bad/PSN00001.PMP"));
    EXPECT_EQ(events.Problems,
              (Problems{SystemProblem(Action::ReadFolder, source / "Bad", test::Denied())}));
    EXPECT_THROW(CountFiles(files, source.string(), "PMP", true), FileSystemError);
}

TEST_F(ConvertFilesTest, AnOutputFolderThatCannotBeMadeLeavesItsPicturesUnconverted) {
    Picture("Blocked/PSN00002.PMP");
    Picture("Blocked/Inner/PSN00003.PMP");
    tree.Write("O/Blocked", "a file in the way");
    config.Options.Subfolders = SubfolderMode::Matching;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    Convert();
    EXPECT_TRUE(events.Written.empty());
    EXPECT_TRUE(fs::exists(source / "Blocked/PSN00002.PMP"));
    RunProblem blocked = SystemProblem(Action::CreateFolder, output / "Blocked", "File exists");
    blocked.Because.FilesLeft = 2;
    EXPECT_EQ(events.Problems, Problems{blocked});
}

// Runs that stop: after the first picture, exactly the right files stay,
// and the count of pictures not reached is exact in every mode.
class StoppedRuns : public ConvertFilesTest, public ::testing::WithParamInterface<SubfolderMode> {
protected:
    void StopAfterFirstPicture() {
        config.StopRequested = [this] { return !events.Written.empty(); };
    }
};

TEST_P(StoppedRuns, KeepEveryPictureNotReachedWithItsCompanions) {
    for (const char* name : {"a.PMP", "b.PMP", "c.PMP", "Sub/d.PMP", "Sub/Deeper/e.PMP"}) {
        Picture(name);
    }
    for (const char* name : {"a.PMX", "B.pmf", "c.PMX", "lone.PMX", "Sub/d.PMF"}) {
        tree.Write(std::string("S/") + name, "x");
    }
    config.Options.Subfolders = GetParam();
    DeleteEverything();
    StopAfterFirstPicture();
    Convert();
    // a went with its PMX file; the others stay, and so does the PMX file
    // with no picture, which the run stopped before.
    EXPECT_EQ(FileNames(source), (Names{"B.pmf", "b.PMP", "c.PMP", "c.PMX", "lone.PMX"}));
    EXPECT_EQ(FileNames(source / "Sub"), (Names{"d.PMF", "d.PMP"}));
    EXPECT_EQ(events.Written.size(), 1U);
    EXPECT_EQ(events.NotReached, GetParam() == SubfolderMode::None ? 2 : 4);
    EXPECT_TRUE(events.Problems.empty());
}

TEST_P(StoppedRuns, ThatMetNoPictureYetReachNone) {
    Picture("Sub/a.PMP");
    Picture("Sub/b.PMP");
    config.Options.Subfolders = GetParam();
    config.StopRequested = [] { return true; };
    Convert();
    EXPECT_TRUE(events.Written.empty());
    EXPECT_EQ(events.NotReached, GetParam() == SubfolderMode::None ? 0 : 2);
    EXPECT_FALSE(fs::exists(output / "Sub"));
}

INSTANTIATE_TEST_SUITE_P(InEveryMode, StoppedRuns,
                         ::testing::Values(SubfolderMode::None, SubfolderMode::Matching,
                                           SubfolderMode::TopLevel));

TEST_F(ConvertFilesTest, SourcesGoInBatchesOfAThousandEachAfterItsJpgFilesAreOnTheDisk) {
    for (int n = 1; n <= 1001; ++n) {
        Picture("PSN" + std::to_string(100000 + n).substr(1) + ".PMP");
    }
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    Convert();
    ASSERT_EQ(files.Log.size(), 1003U);
    EXPECT_EQ(files.Log[0], "durable");
    EXPECT_EQ(files.Log[1001], "durable");
}

TEST_F(ConvertFilesTest, ARunThatIsNotStoppedTellsNoStop) {
    Picture("a.PMP");
    config.StopRequested = [] { return false; };
    Convert();
    EXPECT_FALSE(events.NotReached.has_value());
}

#ifndef _WIN32  // symbolic links, and paths longer than the system takes
class Links : public ConvertFilesTest {
protected:
    // A folder outside the source tree with two pictures, reached from S
    // through the link `link`.
    void LinkElsewhere(const std::string& link) {
        tree.Write("Elsewhere/PSN00002.PMP", test::PmpFile({}, payload));
        tree.Write("Elsewhere/Deeper/PSN00003.PMP", test::PmpFile({}, payload));
        tree.Folder("Elsewhere/Empty");
        tree.Folder(fs::path("S/" + link).parent_path().string());
        ASSERT_EQ(::symlink((tree / "Elsewhere").c_str(), (source / link).c_str()), 0);
    }
    void ExpectElsewhereWhole() {
        EXPECT_EQ(FileNames(tree / "Elsewhere"), Names{"PSN00002.PMP"});
        EXPECT_EQ(FileNames(tree / "Elsewhere/Deeper"), Names{"PSN00003.PMP"});
        EXPECT_TRUE(fs::is_directory(tree / "Elsewhere/Empty"));
    }
};

TEST_F(Links, APicturesFolderReachedThroughALinkIsConvertedNeverDeletedFrom) {
    LinkElsewhere("TopLink");
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_EQ(events.Written.size(), 2U);
    ExpectElsewhereWhole();
    EXPECT_TRUE(fs::is_symlink(source / "TopLink"));
    EXPECT_EQ(events.Problems, (Problems{Problem(Action::DeleteFilesBelowLink, source / "TopLink",
                                                 Cause::ReachedThroughLink)}));
}

TEST_F(Links, WithoutDeletionNothingIsSaidOfThem) {
    LinkElsewhere("TopLink");
    config.Options.Subfolders = SubfolderMode::Matching;
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_EQ(events.Written.size(), 2U);
    EXPECT_TRUE(events.Problems.empty());
}

TEST_F(Links, ADryRunSaysNothingOfDeletionsBelowThem) {
    LinkElsewhere("TopLink");
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    config.DryRun = true;
    Convert();
    EXPECT_EQ(events.Written.size(), 2U);
    EXPECT_TRUE(events.Problems.empty());
}

TEST_F(Links, AFolderHoldingALinkIsNotEmptyHoweverDeepTheLink) {
    LinkElsewhere("Hollow/Inner/link");
    DeleteEverything();
    Convert();
    EXPECT_TRUE(fs::is_symlink(source / "Hollow/Inner/link"));
    ExpectElsewhereWhole();
    EXPECT_EQ(events.Problems,
              (Problems{Problem(Action::DeleteSubfolder, source / "Hollow", Cause::HoldsLink,
                                (source / "Hollow/Inner/link").string())}));
}

TEST_F(Links, LinksBackIntoTheTreeNeitherLoopNorCountTwice) {
    Picture("A/PSN00001.PMP");
    ASSERT_EQ(::symlink("..", (source / "A/up").c_str()), 0);
    ASSERT_EQ(::symlink("../S", (source / "A/again").c_str()), 0);
    config.Options.Subfolders = SubfolderMode::Matching;
    EXPECT_EQ(CountFiles(files, source.string(), "PMP", true), 1);
    Convert();
    EXPECT_EQ(events.Written.size(), 1U);
}

TEST_F(Links, ALinkIntoTheTreeIsNotWalkedWhereverItSorts) {
    Picture("PIC00001/PSN00001.PMP");
    Picture("PIC00001/PSN00002.PMP");
    for (const char* name : {"A", "Z"}) {
        ASSERT_EQ(::symlink("PIC00001", (source / name).c_str()), 0);
    }
    config.Options.Subfolders = SubfolderMode::Matching;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    EXPECT_EQ(CountFiles(files, source.string(), "PMP", true), 2);
    Convert();
    EXPECT_EQ(std::distance(fs::directory_iterator(output), {}), 1);
    EXPECT_EQ(FileNames(output / "PIC00001"), (Names{Name(1, 1), Name(2, 1)}));
    EXPECT_TRUE(FileNames(source / "PIC00001").empty());
}

TEST_F(Links, ALinkToASiblingWhoseNameBeginsLikeTheSourceLeadsOutOfTheTree) {
    // S2 lies beside S, not in it, though its path begins with S's.
    tree.Write("S2/PSN00001.PMP", test::PmpFile({}, payload));
    ASSERT_EQ(::symlink((tree / "S2").c_str(), (source / "sibling").c_str()), 0);
    config.Options.Subfolders = SubfolderMode::Matching;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    EXPECT_EQ(CountFiles(files, source.string(), "PMP", true), 1);
    Convert();
    EXPECT_EQ(FileNames(output / "sibling"), Names{Name(1)});
    EXPECT_TRUE(fs::exists(tree / "S2/PSN00001.PMP"));
}

// A subfolder that another program replaces between the listing of its parent
// and the moment the run enters it: by a link to a folder elsewhere, or by
// another folder. Nothing is converted or deleted in its place.
struct Replacement {
    const char* Name;
    int AtEntering;  // the first entering is its conversion, the second its emptiness test
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
            fs::rename(source / "PIC00003", tree / "Moved");
            if (replacement.ByLink) {
                fs::create_directory_symlink(tree / "Victim", source / "PIC00003");
            } else {
                fs::rename(tree / "Victim", source / "PIC00003");
            }
        }
    };
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    const fs::path victim = replacement.ByLink ? tree / "Victim" : source / "PIC00003";
    EXPECT_EQ(FileNames(victim), Names{"PSN00009.PMP"});
    EXPECT_TRUE(fs::is_directory(victim / "Hollow"));
    EXPECT_FALSE(fs::exists(source / "PIC00001"));
    const bool converting = replacement.AtEntering == 1;
    EXPECT_EQ(events.Written.size(), converting ? 1U : 2U);
    EXPECT_EQ(FileNames(tree / "Moved"), converting ? Names{"PSN00002.PMP"} : Names{});
    EXPECT_EQ(events.Problems,
              Problems{SystemProblem(converting ? Action::ReadFolder : Action::DeleteSubfolder,
                                     source / "PIC00003", ReplacedSinceListed)});
}

INSTANTIATE_TEST_SUITE_P(
    BetweenListingAndEntering, ReplacedFolders,
    ::testing::Values(Replacement{"ByALinkBeforeItsConversion", 1, true},
                      Replacement{"ByAnotherFolderBeforeItsConversion", 1, false},
                      Replacement{"ByALinkBeforeItsEmptinessTest", 2, true},
                      Replacement{"ByAnotherFolderBeforeItsEmptinessTest", 2, false}),
    [](const auto& row) { return std::string(row.param.Name); });

// The same folder, moved away and reached through a link left in its place:
// the same folder by its numbers, but no longer the tree's.
TEST_F(ConvertFilesTest, AFolderMovedAwayBehindALinkIsNotEnteredThroughIt) {
    Picture("PIC00003/PSN00002.PMP");
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && !fs::is_symlink(source / "PIC00003")) {
            fs::rename(source / "PIC00003", tree / "Moved");
            fs::create_directory_symlink(tree / "Moved", source / "PIC00003");
        }
    };
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_EQ(FileNames(tree / "Moved"), Names{"PSN00002.PMP"});
    EXPECT_EQ(events.Problems, Problems{SystemProblem(Action::ReadFolder, source / "PIC00003",
                                                      ReplacedSinceListed)});
}

TEST_F(ConvertFilesTest, AFolderReplacedByAnEmptyOneKeepsTheFoldersAboveIt) {
    // Its pictures went elsewhere with it; what stands in its place now is
    // another program's, and the folders above are not emptied of it.
    Picture("Album/PIC00003/PSN00002.PMP");
    files.BeforeEntering = [&](const Folder& listed) {
        if (listed.Name == "PIC00003" && !fs::exists(tree / "Moved")) {
            fs::rename(source / "Album/PIC00003", tree / "Moved");
            fs::create_directory(source / "Album/PIC00003");
        }
    };
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    EXPECT_TRUE(fs::is_directory(source / "Album/PIC00003"));
    EXPECT_EQ(FileNames(tree / "Moved"), Names{"PSN00002.PMP"});
    EXPECT_EQ(events.Problems.size(), 1U);
}

TEST_F(ConvertFilesTest, AnEmptyFolderReplacedJustBeforeItsRemovalStays) {
    tree.Folder("S/Hollow");
    files.BeforeRemoving = [&](const Folder&) {
        fs::rename(source / "Hollow", tree / "Moved");
        fs::create_directory(source / "Hollow");
    };
    config.Options.DeleteEmptySubfolders = true;
    Convert();
    EXPECT_TRUE(fs::is_directory(source / "Hollow"));
    EXPECT_EQ(
        events.Problems,
        (Problems{SystemProblem(Action::DeleteSubfolder, source / "Hollow", ReplacedSinceListed)}));
}

TEST_F(ConvertFilesTest, NothingOutsideTheTreeIsDeletedWhileAnotherProgramSwapsInLinks) {
    // Runs over a tree in which another program keeps swapping a subfolder
    // for a link to a folder elsewhere and back, at every moment of the run.
    for (int shot = 1; shot <= 20; ++shot) {
        tree.Write("Victim/PSN" + std::to_string(10000 + shot) + ".PMP",
                   test::PmpFile({}, payload));
    }
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
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
                if (::rename((source / "B").c_str(), (tree / "Away").c_str()) == 0) {
                    ::symlink((tree / "Victim").c_str(), (source / "B").c_str());
                    std::this_thread::sleep_for(std::chrono::microseconds(200 + 37 * run));
                    ::unlink((source / "B").c_str());
                    ::rename((tree / "Away").c_str(), (source / "B").c_str());
                }
            }
        });
        Convert();
        done = true;
        swapper.join();
        ASSERT_EQ(FileNames(tree / "Victim").size(), 20U) << "run " << run;
        fs::remove_all(source);
        fs::remove_all(tree / "Away");
        fs::remove_all(output);
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
    config.Options.Subfolders = SubfolderMode::TopLevel;
    config.Options.DeleteFiles = SourceDeletion::Pictures;
    config.Options.Serial = SerialNumbers::Always;
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit few { 300, 300 };
        ::setrlimit(RLIMIT_NOFILE, &few);
        Convert();
        ::_exit(events.Problems.empty() && events.Written.size() == 300 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(source), {}), 300);  // folders only
}

TEST_F(ConvertFilesTest, AFolderDeeperThanAnyPathIsConvertedAndEmptied) {
    // Every folder is reached from the one above it, never by its whole path.
    tree.TooDeep("S/Deep", test::PmpFile({}, payload));
    config.Options.Subfolders = SubfolderMode::Matching;
    DeleteEverything();
    Convert();
    ASSERT_EQ(events.Written.size(), 1U);
    EXPECT_TRUE(events.Written[0].starts_with((output / "Deep/").string()));
    EXPECT_TRUE(events.Problems.empty());
    EXPECT_FALSE(fs::exists(source / "Deep"));
}
#endif

}  // namespace
}  // namespace ostrel
