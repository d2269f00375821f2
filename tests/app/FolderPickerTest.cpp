#include <gtest/gtest.h>

#include "Doubles.h"
#include "FolderPicker.h"
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
}

TEST(ResolveTypedFolder, TildeAndRelativePathsStartAtHome) {
    EXPECT_EQ(ResolveTypedFolder("~", "/home/me", '/'), "/home/me");
    EXPECT_EQ(ResolveTypedFolder("~/Pics/May", "/home/me", '/'), "/home/me/Pics/May");
    EXPECT_EQ(ResolveTypedFolder("Pics", "/home/me", '/'), "/home/me/Pics");
    EXPECT_EQ(ResolveTypedFolder("~other/Pics", "/home/me", '/'), "/home/me/~other/Pics");
    EXPECT_EQ(ResolveTypedFolder("~/x", "/", '/'), "/x");
    EXPECT_EQ(ResolveTypedFolder("/media/card/~", "/home/me", '/'), "/media/card/~");
    EXPECT_EQ(ResolveTypedFolder("", "/home/me", '/'), "");                 // still "doesn't exist"
    EXPECT_EQ(ResolveTypedFolder("C:x", "/home/me", '/'), "/home/me/C:x");  // no drives here

    // Windows: a drive, a root or a share is where it says.
    const std::string home = "C:\\Users\\me";
    EXPECT_EQ(ResolveTypedFolder("D:\\Pics", home, '\\'), "D:\\Pics");
    EXPECT_EQ(ResolveTypedFolder("\\\\nas\\card", home, '\\'), "\\\\nas\\card");
    EXPECT_EQ(ResolveTypedFolder("/Pics", home, '\\'), "/Pics");
    EXPECT_EQ(ResolveTypedFolder("~\\Pics", home, '\\'), "C:\\Users\\me\\Pics");
    EXPECT_EQ(ResolveTypedFolder("Pics\\May", home, '\\'), "C:\\Users\\me\\Pics\\May");
}

// The picker of the source folder, over a real tree, as the system has it.
class FolderPickerTest : public ::testing::Test {
protected:
    bool Pick(const fs::path& answer) {
        dialog.Answer = answer.string();
        // The system's own separator: "\\" on Windows, where the tree's paths have it.
        return RunFolderPicker(PickerKind::Source, text, dialog, files, user,
                               static_cast<char>(fs::path::preferred_separator));
    }

    test::TempTree tree;
    test::ScriptedFileDialog dialog;
    test::SystemFileSystem files;
    test::RecordingUser user;
    std::string text = " typed, not a folder";
};

TEST_F(FolderPickerTest, ThePickedFileGivesItsFolder) {
    EXPECT_TRUE(Pick(tree.Folder("Pics") / "PSN00001.PMP"));
    EXPECT_EQ(text, (tree / "Pics").string());
    const OpenDialogRequest& shown = dialog.Showings.at(0);
    EXPECT_EQ(shown.Title, "Select PMP Source Folder");
    EXPECT_EQ(shown.FilterName, "PMP Files");
    EXPECT_EQ(shown.Patterns, test::Names{"*.PMP"});
    EXPECT_EQ(shown.InitialFolder, " typed, not a folder");
    EXPECT_EQ(shown.FileName, "*.PMP");
    EXPECT_TRUE(user.Messages.empty());
}

TEST_F(FolderPickerTest, AFolderGoneAfterTheDialogClosedIsToldAndNotShownAgain) {
    EXPECT_FALSE(Pick(tree / "gone" / "PSN00001.PMP"));
    EXPECT_EQ(text, " typed, not a folder");
    EXPECT_EQ(user.Prompts,
              test::Names{"CommonDialog returned invalid path despite cdlOFNPathMustExist"});
    EXPECT_EQ(user.Messages.at(0).Kind, MessageKind::Critical);
    EXPECT_EQ(dialog.Showings.size(), 1U);
}

}  // namespace
}  // namespace ostrel
