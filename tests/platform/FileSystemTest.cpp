// The system's file-system service on real folders.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Doubles.h"
#include "TempTree.h"

namespace ostrel {
namespace {

std::string Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileSystemError& error) {
        return error.what();
    }
    return "no failure";
}

class SystemFileSystem : public ::testing::Test {
protected:
    PosixFileSystem files;
    test::TempTree tree;
};

TEST_F(SystemFileSystem, FoldersAsTheSystemReachesThemAndListingsByKind) {
    tree.Write("F/a.PMP", "a");
    tree.Folder("F/sub");
    tree.Folder("real/deep");
    ::symlink("a.PMP", (tree / "F/link.PMP").c_str());
    ::symlink("sub", (tree / "F/sublink").c_str());
    ::symlink("missing", (tree / "F/dangling.PMP").c_str());
    ::mkfifo((tree / "F/fifo.PMP").c_str(), 0666);
    ::symlink((tree / "real/deep").c_str(), (tree / "link").c_str());
    const Folder folder = files.GetFolder((tree / "F/./sub/../").string());
    EXPECT_EQ(folder.Path, (tree / "F").string());
    EXPECT_EQ(folder.Name, "F");
    // "link/.." is the parent of the link's target, not the folder holding the link.
    EXPECT_EQ(files.GetFolder((tree / "link/..").string()).Path, (tree / "real").string());
    EXPECT_EQ(files.GetFolder("/").Path, "/");
    EXPECT_FALSE(files.FolderExists(""));
    EXPECT_EQ(Failure([&] { files.GetFolder((tree / "none").string()); }),
              "No such file or directory");

    const FolderListing listing = files.ListFolderByName(folder);
    test::Names names;
    for (const File& file : listing.Files) {
        names.push_back(file.Name);
        EXPECT_EQ(file.Path, (tree / "F" / file.Name).string());
    }
    for (const Folder& sub : listing.Subfolders) {
        names.push_back(sub.Name + (sub.IsLink ? "@/" : "/"));
    }
    for (const OtherEntry& other : listing.Others) {
        names.push_back(other.Name + ": " + other.Description);
    }
    EXPECT_EQ(names, (test::Names{"a.PMP", "link.PMP", "sub/", "sublink@/",
                                  "dangling.PMP: No such file or directory",
                                  "fifo.PMP: It is not a regular file"}));
}

TEST_F(SystemFileSystem, NewFilesGetTheirNameOnlyWhenWholeAndNeverReplaceOne) {
    // An unnamed file; where the kernel refuses those (as on FAT), a temporary
    // name renamed without replacing; where that is missing too, one moved
    // over the name taken with an empty file.
    for (const int way : {0, 1, 2}) {
        test::FaultyFileSystem system(PosixFileSystem::Features{way < 2});
        system.RefuseUnnamed = way > 0;
        const fs::path folder = tree.Folder("F" + std::to_string(way));
        tree.Write(fs::relative(folder / "taken.jpg", tree.Root()).string(), "keep");
        const Folder out = system.GetFolder(folder.string());
        {
            auto file = system.CreateOutputFile(out, true);
            file->Write(std::vector<std::uint8_t>{1, 2, 3});
            file->SetTimes(std::chrono::system_clock::from_time_t(931097109));
            EXPECT_EQ(Failure([&] { file->Publish("taken.jpg"); }), "File exists");
            file->Publish("new.jpg");
            system.CreateOutputFile(out, false)->Write(std::vector<std::uint8_t>{4});
            // Published, but not to be made durable: its folder is not flushed.
            system.CreateOutputFile(system.GetFolder(tree.Folder("G").string()), false)
                ->Publish(std::to_string(way) + ".jpg");
        }
        EXPECT_EQ(test::ReadBytes(folder / "taken.jpg"), (test::Bytes{'k', 'e', 'e', 'p'}));
        EXPECT_EQ(test::ReadBytes(folder / "new.jpg"), (test::Bytes{1, 2, 3}));
        struct stat info {};
        ::stat((folder / "new.jpg").c_str(), &info);
        EXPECT_EQ(info.st_mtime, 931097109);  // kept through linking or renaming
        // Nothing else: neither the unpublished file nor a temporary name.
        EXPECT_EQ(test::FileNames(folder), (test::Names{"new.jpg", "taken.jpg"}));
        system.MakeDurable();
        system.MakeDurable();  // nothing new since
        EXPECT_EQ(system.Flushed, test::Names{folder.string()}) << way;
    }
}

}  // namespace
}  // namespace ostrel
