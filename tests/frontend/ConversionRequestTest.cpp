// The request that OK runs: folder checks, count, question, run and summary.

#include "ConversionRequest.h"
#include "EngineFixture.h"
#include "Messages.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class ConversionRequestTest : public test::EngineFixture {
  protected:
    RequestOutcome Request() {
        RequestSettings settings;
        settings.ShowSourcePath = [this](const std::string& p) { shownSource = p; };
        settings.ShowOutputPath = [this](const std::string& p) { shownOutput = p; };
        return RunConversionRequest(files, user, options, settings);
    }
    std::string shownSource, shownOutput;
};

TEST_F(ConversionRequestTest, MissingSourceFolder) {
    for (const std::string& path :
         {std::string(), (tree / "nowhere").string(), " " + options.SourcePath}) {
        user = {};
        options.SourcePath = path;
        EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused);
        ASSERT_EQ(user.Messages.size(), 1U);
        EXPECT_EQ(user.Messages[0].Prompt, "The PMP source folder you specified doesn't exist.");
        EXPECT_EQ(user.Messages[0].Title, "Convert");
        EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
        EXPECT_EQ(user.Calls.size(), 1U);
        EXPECT_TRUE(shownSource.empty());
    }
}

TEST_F(ConversionRequestTest, PicturesOnlyInSubfoldersNeedASubfolderMode) {
    Picture("Alpha/PSN00001.PMP");
    options.SourcePath = (tree / "S/Alpha/..").string();
    Request();
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{
                  "The PMP source folder you specified does not contain any PMP files."});
    EXPECT_EQ(shownSource, (tree / "S").string());  // rewritten before the count
    EXPECT_EQ(user.Calls, (std::vector<std::string>{"busy:1", "busy:0", "message:Convert"}));

    user = {};
    options.ProcessSubfolders = 2;
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Ran);
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Convert 1 PMP file to JPG?",
                                                   "1 PMP file successfully converted to JPG."}));
}

TEST_F(ConversionRequestTest, MissingOutputFolderComesAfterTheCount) {
    Picture("PSN00001.PMP");
    options.OutputPath = (tree / "missing").string();
    Request();
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{"The JPG output folder you specified doesn't exist."});
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
    EXPECT_FALSE(shownSource.empty());
    EXPECT_TRUE(shownOutput.empty());
}

TEST_F(ConversionRequestTest, NoChangesNothing) {
    Picture("PSN00001.PMP");
    Picture("PSN00002.PMP");
    options.DeleteSourceFiles = 1;
    options.OutputPath = (tree / "O/.").string();
    user.QuestionAnswer = Answer::No;
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Declined);
    EXPECT_EQ(Prompts(), std::vector<std::string>{"Convert 2 PMP files to JPG?"});
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Question);
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_EQ(test::FileNames(tree / "S").size(), 2U);
    EXPECT_EQ(shownOutput, (tree / "O").string());
}

TEST_F(ConversionRequestTest, ARunInItsOrderWithTheSummary) {
    Picture("PSN00001.PMP");
    Picture("PSN00001.pmp");  // the same name: saved with a serial number
    const RequestOutcome outcome = Request();
    EXPECT_EQ(outcome.FileCount, 2);
    EXPECT_EQ(user.Calls,
              (std::vector<std::string>{"busy:1", "busy:0", "message:Convert", "min:0", "max:2",
                                        "pos:0", "visible:1", "busy:1", "pos:1", "pos:2", "busy:0",
                                        "visible:0", "message:Convert"}));
    EXPECT_EQ(Prompts()[1],
              "2 PMP files successfully converted to JPG.\r\n\r\n"
              "1 JPG file saved with incremented serial number.");
    EXPECT_EQ(user.Messages[1].Kind, MessageKind::Information);
    EXPECT_FALSE(user.Busy);
    EXPECT_FALSE(user.ProgressVisible);
}

TEST_F(ConversionRequestTest, SummaryNeverCallsAFailedFileConverted) {
    Picture("PSN00001.PMP");
    tree.Write("S/PSN00002.PMP", "too short");
    tree.Write("S/PSN00003.PMP", "too short");
    Request();
    EXPECT_EQ(Prompts().back(),
              "1 PMP file successfully converted to JPG.\r\n\r\n"
              "2 PMP files could not be converted.");
}

TEST_F(ConversionRequestTest, SummaryWording) {
    EXPECT_EQ(messages::Summary(3, 3, 3, 0, false),
              "3 PMP files successfully converted to JPG.\r\n\r\n"
              "3 JPG files saved with incremented serial numbers.");
    EXPECT_EQ(messages::Summary(1, 1, 0, 0, false), "1 PMP file successfully converted to JPG.");
    EXPECT_EQ(messages::Summary(5, 3, 0, 1, false),
              "3 PMP files successfully converted to JPG.\r\n\r\n"
              "1 PMP file could not be converted.");
    EXPECT_EQ(messages::Summary(5, 0, 0, 0, true), "0 PMP files successfully converted to JPG.");
    EXPECT_EQ(messages::Confirmation(12345), "Convert 12345 PMP files to JPG?");
}

TEST_F(ConversionRequestTest, AFolderThatCannotBeCountedIsReportedAndAllIsRestored) {
    Picture("Bad/PSN00001.PMP");
    files.UnlistableFolders.insert((tree / "S/Bad").string());
    options.ProcessSubfolders = 1;
    EXPECT_EQ(Request().Result, RequestOutcome::Status::Refused);
    EXPECT_EQ(Prompts(),
              std::vector<std::string>{"Unable to read the folder \"" + (tree / "S").string() +
                                       "\" due to the following problem: Permission denied."});
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
    EXPECT_FALSE(user.Busy);
}

TEST_F(ConversionRequestTest, OutputInsideSourceIsLeftOutOfTheCount) {
    Picture("PSN00001.PMP");
    tree.Write("S/Out/old.PMP", test::PmpFile({}, payload));
    options.OutputPath = (tree / "S/Out").string();
    options.ProcessSubfolders = 1;
    const RequestOutcome outcome = Request();
    EXPECT_EQ(outcome.FileCount, 1);
    EXPECT_EQ(outcome.Counters.SourceObjectNumber, 1);
}

}  // namespace
}  // namespace ostrel
