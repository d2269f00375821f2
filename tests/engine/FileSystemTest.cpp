// The system file-system service on real folders.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileSystem.h"
#include "TempTree.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

using test::TempTree;

class SystemFileSystem : public ::testing::Test {
  protected:
    std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
    TempTree tree;
};

TEST_F(SystemFileSystem, GetFolderGivesTheFullPathWithoutTrailingSeparator) {
    tree.Folder("A/B");
    const Folder folder = files->GetFolder((tree / "A/./B/../B/").string());
    EXPECT_EQ(folder.Path, (tree / "A/B").string());
    EXPECT_EQ(folder.Name, "B");
    EXPECT_EQ(files->GetFolder("/").Path, "/");
    EXPECT_FALSE(files->FolderExists(""));
    EXPECT_FALSE(files->FolderExists("C:\\"));
    EXPECT_THROW(files->GetFolder((tree / "missing").string()), FileSystemError);
    EXPECT_EQ(files->JoinPath("/", "x"), "/x");
    EXPECT_EQ(files->JoinPath("/a", "x"), "/a/x");
}

TEST_F(SystemFileSystem, ListsFilesAndFoldersApart) {
    tree.Write("F/a.PMP", "a");
    tree.Write("F/b.txt", "b");
    tree.Folder("F/sub");
    ::symlink("a.PMP", (tree / "F/link.PMP").c_str());
    ::symlink("missing", (tree / "F/dangling.PMP").c_str());
    ::symlink("sub", (tree / "F/sublink").c_str());
    ::mkfifo((tree / "F/fifo.PMP").c_str(), 0666);
    const Folder folder = files->GetFolder((tree / "F").string());

    std::vector<std::string> fileNames;
    for (const File& file : files->Files(folder)) {
        fileNames.push_back(file.Name);
        EXPECT_EQ(file.Path, (tree / "F" / file.Name).string());
    }
    std::sort(fileNames.begin(), fileNames.end());
    EXPECT_EQ(fileNames, (std::vector<std::string>{"a.PMP", "b.txt", "link.PMP"}));

    std::vector<std::string> folderNames;
    for (const Folder& sub : files->Subfolders(folder)) {
        folderNames.push_back(sub.Name + (sub.IsLink ? "@" : ""));
    }
    std::sort(folderNames.begin(), folderNames.end());
    EXPECT_EQ(folderNames, (std::vector<std::string>{"sub", "sublink@"}));
}

TEST_F(SystemFileSystem, CreateNewFileNeverReplacesAFile) {
    const auto path = tree.Write("taken.jpg", "keep me");
    try {
        files->CreateNewFile(path.string());
        FAIL() << "created over an existing file";
    } catch (const FileSystemError& error) {
        EXPECT_TRUE(error.AlreadyExists());
        EXPECT_STREQ(error.what(), "File exists");
    }
    EXPECT_EQ(test::ReadBytes(path),
              std::vector<std::uint8_t>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
}

TEST_F(SystemFileSystem, UncommittedFileIsRemoved) {
    const auto path = tree / "partial.jpg";
    {
        auto out = files->CreateNewFile(path.string());
        const std::uint8_t bytes[] = {1, 2, 3};
        out->Write(bytes);
    }
    EXPECT_FALSE(fs::exists(path));
    {
        auto out = files->CreateNewFile(path.string());
        out->Commit(true);
    }
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(SystemFileSystem, ReadOnlyMeansReadOnlyEvenForRoot) {
    const auto file = tree.Write("ro/file.PMP", "x");
    test::MakeReadOnly(file);
    try {
        files->DeleteFile(File{file.string(), "file.PMP"});
        FAIL() << "deleted a read-only file";
    } catch (const FileSystemError& error) {
        EXPECT_STREQ(error.what(), "Permission denied");
    }
    EXPECT_TRUE(fs::exists(file));

    // A file in a read-only folder, and the read-only folder itself.
    const auto inner = tree.Write("locked/inner.PMP", "y");
    tree.Folder("locked/empty");
    test::MakeReadOnly(tree / "locked");
    EXPECT_THROW(files->DeleteFile(File{inner.string(), "inner.PMP"}), FileSystemError);
    EXPECT_THROW(files->DeleteFolder(files->GetFolder((tree / "locked/empty").string())),
                 FileSystemError);
    EXPECT_TRUE(fs::exists(inner));
    EXPECT_TRUE(fs::exists(tree / "locked/empty"));

    tree.Folder("rodir");
    test::MakeReadOnly(tree / "rodir");
    EXPECT_THROW(files->DeleteFolder(files->GetFolder((tree / "rodir").string())), FileSystemError);
    EXPECT_TRUE(fs::exists(tree / "rodir"));
}

TEST_F(SystemFileSystem, DeleteFolderRemovesOnlyAnEmptyFolder) {
    tree.Write("full/f", "x");
    try {
        files->DeleteFolder(files->GetFolder((tree / "full").string()));
        FAIL();
    } catch (const FileSystemError& error) {
        EXPECT_STREQ(error.what(), "Directory not empty");
    }
    tree.Folder("empty");
    files->DeleteFolder(files->GetFolder((tree / "empty").string()));
    EXPECT_FALSE(fs::exists(tree / "empty"));
}

TEST_F(SystemFileSystem, CopyRemainderCopiesEveryByteAfterTheReadPosition) {
    const auto bytes = test::EveryByte(3 << 20);  // past one block
    const auto source = tree.Write("big.PMP", bytes);
    auto in = files->OpenForReading(File{source.string(), "big.PMP"});
    std::uint8_t header[124];
    ASSERT_EQ(in->Read(header), 124U);
    {
        auto out = files->CreateNewFile((tree / "big.jpg").string());
        files->CopyRemainder(*in, *out);
        out->Commit(false);
    }
    EXPECT_EQ(test::ReadBytes(tree / "big.jpg"),
              std::vector<std::uint8_t>(bytes.begin() + 124, bytes.end()));
}

}  // namespace
}  // namespace ostrel
