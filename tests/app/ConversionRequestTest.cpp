// The request that OK runs: folder checks, count, question, run and summary.

#include <cerrno>

#include "AppFixture.h"
#include "ConversionRequest.h"
#include "Messages.h"

namespace ostrel {
namespace {

using test::Names;

class ConversionRequestTest : public test::AppFixture {
protected:
    RequestOutcome Request() {
        RequestSettings settings;
        settings.ShowSourcePath = [this](const std::string& p) { shown.push_back("S=" + p); };
        settings.ShowOutputPath = [this](const std::string& p) { shown.push_back("O=" + p); };
        RequestFolders folders{options.SourcePath, options.OutputPath};
        return RunConversionRequest(files, user, folders,
                                    RunConfig{.Options = EngineOptions(options)}, settings);
    }
    std::vector<std::string> shown;
};

TEST_F(ConversionRequestTest, AMissingSourceFolderIsWarnedAboutAsTyped) {
    const std::string source = options.SourcePath;
    for (const std::string& path : {std::string(), " " + source, source + "/none"}) {
        options.SourcePath = path;  // taken exactly as typed
        EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused) << path;
    }
    EXPECT_EQ(user.Prompts, Names(3, "The PMP source folder you specified doesn't exist."));
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ConversionRequestTest, ACountThatFailsTellsTheSystemsWordsOnceThePointerIsNoLongerBusy) {
    files.BeforeListing = [](const Folder&) { throw FileSystemError(test::Denied(), EACCES); };
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused);
    EXPECT_EQ(user.Calls, (Names{"busy:1", "busy:0", "message:Convert"}));
    EXPECT_EQ(user.Prompts, Names{messages::FolderProblem(options.SourcePath, test::Denied())});
}

TEST_F(ConversionRequestTest, NoPmpFileIsWarnedAboutBeforeAMissingOutputFolder) {
    Picture("Alpha/PSN00001.PMP");  // only in a subfolder
    const std::string source = options.SourcePath;
    options.SourcePath += "/Alpha/..";
    options.OutputPath += "/missing";
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused);
    EXPECT_EQ(user.Prompts,
              Names{"The PMP source folder you specified does not contain any PMP files."});
    EXPECT_EQ(shown, Names{"S=" + source});  // rewritten before the count
    EXPECT_EQ(user.Calls, (Names{"busy:1", "busy:0", "message:Convert"}));
}

TEST_F(ConversionRequestTest, AMissingOutputFolderIsWarnedAboutBeforeAnUnfitDeviceName) {
    Picture("PSN00001.PMP");
    options.OutputPath += "/missing";
    options.DeviceName = "a/b";
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused);
    EXPECT_EQ(user.Prompts, Names{"The JPG output folder you specified doesn't exist."});
}

TEST_F(ConversionRequestTest, ADeviceNameThatNoFileNameCanHoldIsWarnedAboutBeforeTheQuestion) {
    Picture("PSN00001.PMP");
    for (const std::string& name : {std::string("a/b"), std::string("tab\there")}) {
        options.DeviceName = name;
        EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused) << name;
    }
    EXPECT_EQ(user.Prompts, (Names{"The device name \"a/b\" holds a character that a file name "
                                   "cannot hold.",
                                   "The device name \"tab\there\" holds a character that a file "
                                   "name cannot hold."}));
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
}

TEST_F(ConversionRequestTest, NoToTheQuestionChangesNothing) {
    Picture("PSN00001.PMP");
    options.AddDeviceName = 0;
    options.DeviceName = "a/b";  // not in the names: no matter
    options.DeleteSourceFiles = 1;
    options.OutputPath += "/.";
    user.QuestionAnswer = Answer::No;
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Declined);
    EXPECT_EQ(shown.back(), "O=" + (tree / "O").string());
    EXPECT_EQ(user.Prompts, Names{"Convert 1 PMP file to JPG?"});
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Question);
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_TRUE(fs::exists(tree / "S/PSN00001.PMP"));
}

TEST_F(ConversionRequestTest, ARunInItsOrderWithTheSummary) {
    // The same picture twice, both into the output folder itself: the second
    // is saved with a serial number (in folders of their own, as Windows has
    // no two names in one folder that differ in letter case only).
    Picture("PSN00001.PMP");
    Picture("Alpha/PSN00001.PMP");
    options.ProcessSubfolders = 2;
    EXPECT_EQ(Request().FileCount, 2);
    EXPECT_EQ(user.Calls,
              (Names{"busy:1", "busy:0", "message:Convert", "max:2", "pos:0", "visible:1", "busy:1",
                     "pos:1", "pos:2", "busy:0", "visible:0", "message:Convert"}));
    EXPECT_EQ(user.Prompts, (Names{"Convert 2 PMP files to JPG?",
                                   "2 PMP files successfully converted to JPG.\n\n"
                                   "1 JPG file saved with incremented serial number."}));
    EXPECT_EQ(user.Messages[1].Kind, MessageKind::Information);
}

TEST(Summary, TellsEveryOutcomeInNumberAndNeverCallsAFailedFileConverted) {
    EXPECT_EQ(messages::Summary({.SourceObjectNumber = 1, .NumberOfFailedFiles = 2}),
              "1 PMP file successfully converted to JPG.\n\n"
              "2 PMP files could not be converted.");
    EXPECT_EQ(messages::Summary({.SourceObjectNumber = 3, .NumberOfSerializedFiles = 3}),
              "3 PMP files successfully converted to JPG.\n\n"
              "3 JPG files saved with incremented serial numbers.");
    EXPECT_EQ(messages::Summary({.NumberOfFailedDeletions = 1, .NumberOfSkippedFolders = 2}),
              "0 PMP files successfully converted to JPG.\n\n"
              "2 folders could not be read or created.\n\n"
              "1 deletion could not be made.");
    EXPECT_EQ(messages::Summary({.SourceObjectNumber = 1, .NumberOfFilesGone = 1}),
              "1 PMP file successfully converted to JPG.\n\n"
              "1 PMP file was gone when the conversion came to it.");
    EXPECT_EQ(messages::HeldProblems(1),
              "The conversion met 1 further problem. See the details "
              "for the list.");
    EXPECT_EQ(messages::HeldProblems(2),
              "The conversion met 2 further problems. See the details "
              "for the list.");
}

TEST_F(ConversionRequestTest, FilesGoneDuringTheRunAreNotCalledConverted) {
    Picture("a.PMP");
    Picture("b.PMP");    // taken away once listed
    Picture("Z/c.PMP");  // taken away before its folder is listed
    options.ProcessSubfolders = 2;
    files.AfterOpening = [&](const File&) {
        fs::remove(tree / "S/b.PMP");
        fs::remove(tree / "S/Z/c.PMP");
    };
    EXPECT_EQ(Request().FileCount, 3);
    EXPECT_EQ(user.Prompts.back(),
              "1 PMP file successfully converted to JPG.\n\n"
              "2 PMP files were gone when the conversion came to them.");
    EXPECT_EQ(user.Messages.back().Kind, MessageKind::Warning);
}

TEST_F(ConversionRequestTest, AFolderCountedButNotReadByTheRunHasNoFileCalledGone) {
    Picture("b.PMP");
    Picture("Z/c.PMP");
    options.ProcessSubfolders = 2;
    int listingsOfZ = 0;
    files.BeforeListing = [&](const Folder& folder) {
        if (folder.Name == "Z" && ++listingsOfZ == 2) {
            throw FileSystemError(test::Denied(), EACCES);
        }
    };
    EXPECT_EQ(Request().FileCount, 2);
    EXPECT_EQ(user.Prompts.back(),
              "1 PMP file successfully converted to JPG.\n\n1 folder could not be read or "
              "created.");
}

#ifndef _WIN32  // paths longer than the system takes
TEST_F(ConversionRequestTest, TheCountLeavesOutWhatTheRunCannotReach) {
    // An unreadable subfolder does not refuse the run, and the output folder
    // inside the source is no source.
    Picture("Bad/PSN00009.PMP");
    files.BeforeListing = [](const Folder& folder) {
        if (folder.Name == "Bad") {
            throw FileSystemError(test::Denied(), EACCES);
        }
    };
    const std::string deep = (tree / "S/Bad").string();
    Picture("PSN00001.PMP");
    Picture("Out/old.PMP");
    options.OutputPath = (tree / "S/Out").string();
    options.ProcessSubfolders = 2;
    const RequestOutcome outcome = Request();
    EXPECT_EQ(outcome.FileCount, 1);
    EXPECT_EQ(user.Messages.back().Kind, MessageKind::Warning);
    EXPECT_EQ(test::Sorted(user.Prompts),
              (Names{"1 PMP file successfully converted to JPG.\n\n1 PMP file left unconverted "
                     "in folders that receive JPG files.\n\n1 folder could not be read or "
                     "created.",
                     "Convert 1 PMP file to JPG?",
                     test::Problem("Unable to convert source folder", options.OutputPath,
                                   "The conversion writes its JPG files into this folder"),
                     test::Problem("Unable to read source folder", deep, test::Denied())}));

    // With nothing else to convert, the warning names what could not be read.
    fs::remove_all(tree / "S/PSN00001.PMP");
    Request();
    EXPECT_EQ(user.Prompts.back(),
              "No PMP file was found in the PMP source folder you specified, but 1 of its "
              "subfolders could not be read, the first \"" +
                  deep + "\" due to the following problem: " + test::Denied() + ".");
}
#endif

}  // namespace
}  // namespace ostrel
