// The system's file-system service on real folders.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixFileSystem.h"
#include "TempTree.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class SystemFileSystem : public ::testing::Test {
protected:
    std::string Failure(const std::function<void()>& action) {
        try {
            action();
        } catch (const FileSystemError& error) {
            return error.what();
        }
        return "no failure";
    }
    PosixFileSystem files;
    test::TempTree tree;
};

TEST_F(SystemFileSystem, FoldersByFullPathAndListingsByKind) {
    tree.Write("F/a.PMP", "a");
    tree.Folder("F/sub");
    ::symlink("a.PMP", (tree / "F/link.PMP").c_str());
    ::symlink("missing", (tree / "F/dangling.PMP").c_str());
    ::symlink("sub", (tree / "F/sublink").c_str());
    ::mkfifo((tree / "F/fifo.PMP").c_str(), 0666);
    const Folder folder = files.GetFolder((tree / "F/./sub/../").string());
    EXPECT_EQ(folder.Path, (tree / "F").string());
    EXPECT_EQ(folder.Name, "F");
    EXPECT_EQ(files.GetFolder("/").Path, "/");
    EXPECT_FALSE(files.FolderExists(""));
    EXPECT_EQ(Failure([&] { files.GetFolder((tree / "none").string()); }),
              "No such file or directory");

    std::vector<std::string> names;
    for (const File& file : files.Files(folder)) {
        names.push_back(file.Name);
        EXPECT_EQ(file.Path, (tree / "F" / file.Name).string());
    }
    for (const Folder& sub : files.Subfolders(folder)) {
        names.push_back(sub.Name + (sub.IsLink ? "@/" : "/"));
    }
    std::sort(names.begin(), names.end());  // no fifo, no dangling link
    EXPECT_EQ(names, (std::vector<std::string>{"a.PMP", "link.PMP", "sub/", "sublink@/"}));
}

TEST_F(SystemFileSystem, NewFilesNeverReplaceOneAndVanishUnlessCommitted) {
    const auto taken = tree.Write("taken.jpg", "keep");
    EXPECT_EQ(Failure([&] { files.CreateNewFile(taken.string()); }), "File exists");
    EXPECT_EQ(test::ReadBytes(taken).size(), 4U);
    {
        auto out = files.CreateNewFile((tree / "partial.jpg").string());
        out->Write(std::vector<std::uint8_t>{1, 2, 3});
    }
    EXPECT_FALSE(fs::exists(tree / "partial.jpg"));
    files.CreateNewFile((tree / "done.jpg").string())->Commit(true);
    EXPECT_TRUE(fs::exists(tree / "done.jpg"));
}

TEST_F(SystemFileSystem, ReadOnlyMeansReadOnlyEvenForRoot) {
    const auto file = tree.Write("ro.PMP", "x");
    test::MakeReadOnly(file);
    const auto inner = tree.Write("locked/inner.PMP", "y");
    tree.Folder("locked/empty");
    test::MakeReadOnly(tree / "locked");
    EXPECT_EQ(Failure([&] { files.DeleteFile({file.string(), "ro.PMP"}); }), "Permission denied");
    EXPECT_EQ(Failure([&] {
                  files.DeleteFile({inner.string(), "inner.PMP"});
              }),
              "Permission denied");
    EXPECT_EQ(Failure([&] { files.DeleteFolder(files.GetFolder((tree / "locked").string())); }),
              "Permission denied");
    EXPECT_EQ(
        Failure([&] { files.DeleteFolder(files.GetFolder((tree / "locked/empty").string())); }),
        "Permission denied");
    EXPECT_TRUE(fs::exists(file) && fs::exists(inner) && fs::exists(tree / "locked/empty"));

    tree.Write("full/f", "x");
    EXPECT_EQ(Failure([&] { files.DeleteFolder(files.GetFolder((tree / "full").string())); }),
              "Directory not empty");
}

}  // namespace
}  // namespace ostrel
