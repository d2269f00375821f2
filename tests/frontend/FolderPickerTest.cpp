#include <gtest/gtest.h>

#include "FolderPicker.h"
#include "FrontendDoubles.h"
#include "TempTree.h"

namespace ostrel {
namespace {

TEST(DeriveFolder, RootKeepsItsSeparatorOtherFoldersLoseIt) {
    EXPECT_EQ(DeriveFolder("C:\\x.PMP", '\\'), "C:\\");
    EXPECT_EQ(DeriveFolder("C:\\Pics\\May\\a.PMP", '\\'), "C:\\Pics\\May");
    EXPECT_EQ(DeriveFolder("D:\\Out\\new", '\\'), "D:\\Out");
    EXPECT_EQ(DeriveFolder("D:\\Out\\", '\\'), "D:\\Out");
    EXPECT_EQ(DeriveFolder("\\\\server\\share\\file.PMP", '\\'), "\\\\server\\share");
    EXPECT_EQ(DeriveFolder("/x.PMP", '/'), "/");
    EXPECT_EQ(DeriveFolder("/home/me/Pics/a.PMP", '/'), "/home/me/Pics");
    EXPECT_EQ(DeriveFolder("/home/me/", '/'), "/home/me");
}

class FolderPickerTest : public ::testing::Test {
  protected:
    bool Run(PickerKind kind, std::string& text) {
        return RunFolderPicker(kind, text, dialog, files, messages, '/');
    }
    test::TempTree tree;
    test::ScriptedFileDialog dialog;
    test::FaultyFileSystem files;
    test::RecordingMessageBox messages;
};

TEST_F(FolderPickerTest, SourcePickerSettingsAndResult) {
    tree.Folder("Pics");
    std::string text = "not a folder at all";
    dialog.Answers = {(tree / "Pics/PSN00001.PMP").string()};
    EXPECT_TRUE(Run(PickerKind::Source, text));
    EXPECT_EQ(text, (tree / "Pics").string());
    ASSERT_EQ(dialog.Showings.size(), 1U);
    const OpenDialogSettings& shown = dialog.Showings[0];
    EXPECT_EQ(shown.DialogTitle, "Select PMP Source Folder");
    EXPECT_EQ(shown.Filter, "PMP Files (*.PMP)|*.PMP");
    EXPECT_EQ(shown.Flags, 2308);
    EXPECT_EQ(shown.InitDir, "not a folder at all");
    EXPECT_EQ(shown.FileName, "*.PMP");
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(FolderPickerTest, OutputPickerAndCancel) {
    std::string text = "  as typed ";
    EXPECT_FALSE(Run(PickerKind::Output, text));
    EXPECT_EQ(text, "  as typed ");
    EXPECT_TRUE(messages.Shown.empty());
    EXPECT_EQ(dialog.Showings[0].DialogTitle, "Select JPG Output Folder");
    EXPECT_EQ(dialog.Showings[0].Filter, "All Files (*.*)|*.*");
    EXPECT_EQ(dialog.Showings[0].FileName, "*.*");
    EXPECT_EQ(dialog.Showings[0].InitDir, "  as typed ");
}

TEST_F(FolderPickerTest, ANameWithoutSeparatorAsksAgain) {
    std::string text = "old";
    dialog.Answers = {std::string("new"), std::string("newer"), std::nullopt};
    EXPECT_FALSE(Run(PickerKind::Output, text));
    EXPECT_EQ(text, "old");
    ASSERT_EQ(messages.Shown.size(), 2U);
    EXPECT_EQ(messages.Shown[0].Prompt, "You have selected an invalid folder. Please try again.");
    EXPECT_EQ(messages.Shown[0].Title, "Select JPG Output Folder");
    EXPECT_EQ(messages.Shown[0].Kind, MessageKind::Information);
    ASSERT_EQ(dialog.Showings.size(), 3U);
    EXPECT_EQ(dialog.Showings[1].FileName, "new");
    EXPECT_EQ(dialog.Showings[2].FileName, "newer");
}

TEST_F(FolderPickerTest, AFolderGoneMeanwhileIsACriticalMessage) {
    std::string text = "old";
    dialog.Answers = {(tree / "gone/file").string()};
    EXPECT_FALSE(Run(PickerKind::Source, text));
    EXPECT_EQ(text, "old");
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Prompt,
              "CommonDialog returned invalid path despite cdlOFNPathMustExist");
    EXPECT_EQ(messages.Shown[0].Title, "Select PMP Source Folder");
    EXPECT_EQ(messages.Shown[0].Kind, MessageKind::Critical);
    EXPECT_EQ(dialog.Showings.size(), 1U);
}

}  // namespace
}  // namespace ostrel
