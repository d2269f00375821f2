// The system's file-system service on real folders.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>

#include "Doubles.h"
#include "PosixExtensions.h"
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
    // name renamed without replacing; where that is missing, the temporary
    // name linked to the name; where that is missing too, one moved over the
    // name taken with an empty file.
    for (const int way : {0, 1, 2, 3}) {
        test::FaultyFileSystem system(PosixFileSystem::Features{way < 2, way < 3});
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
        EXPECT_EQ(info.st_nlink, 1U);         // the temporary name is gone
        // Nothing else: neither the unpublished file nor a temporary name.
        EXPECT_EQ(test::FileNames(folder), (test::Names{"new.jpg", "taken.jpg"})) << way;
        system.MakeDurable();
        system.MakeDurable();  // nothing new since
        EXPECT_EQ(system.Flushed, test::Names{folder.string()}) << way;
    }
}

// A run on a file system with none of the better ways, killed the instant
// before it moves the whole picture over the empty file that holds its name.
void KillWhileTakingAName(const fs::path& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        test::FaultyFileSystem system(PosixFileSystem::Features{false, false});
        system.RefuseUnnamed = true;
        system.BeforeMovingOverPlaceholder = [] { ::_exit(9); };
        auto file = system.CreateOutputFile(system.GetFolder(folder.string()), false);
        file->Write(std::vector<std::uint8_t>{1, 2, 3});
        file->Publish("picture.jpg");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9);
}

// The next run that takes a name in that folder the same way.
void PublishAfterwards(const fs::path& folder, const std::string& name) {
    test::FaultyFileSystem system(PosixFileSystem::Features{false, false});
    system.RefuseUnnamed = true;
    auto file = system.CreateOutputFile(system.GetFolder(folder.string()), false);
    file->Write(std::vector<std::uint8_t>{4});
    file->Publish(name);
}

TEST_F(SystemFileSystem, AnEmptyFileACrashLeftUnderAPicturesNameIsRemovedByTheNextRun) {
    const fs::path folder = tree.Folder("F");
    tree.Write("F/someone's.jpg", "");  // empty, and not ours
    KillWhileTakingAName(folder);
    // The crash left the name held by an empty file, with our note and the
    // whole picture beside it under hidden names.
    EXPECT_EQ(fs::file_size(folder / "picture.jpg"), 0U);
    EXPECT_EQ(test::FileNames(folder).size(), 4U);
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::last_write_time(entry.path(),
                            fs::last_write_time(entry.path()) - std::chrono::hours(1));
    }
    PublishAfterwards(folder, "picture.jpg");
    EXPECT_EQ(test::FileNames(folder), (test::Names{"picture.jpg", "someone's.jpg"}));
    EXPECT_EQ(test::ReadBytes(folder / "picture.jpg"), test::Bytes{4});
}

TEST_F(SystemFileSystem, AFileOfSomeoneElsesNamedInANoteStays) {
    // Had the name been taken when the crash came, the file holding it is
    // someone else's, and stays, as does any file the note does not name.
    const fs::path folder = tree.Folder("F");
    tree.Write("F/theirs.jpg", "theirs");
    tree.Write("F/.ostrel-00000000000000ab.name", "theirs.jpg");
    tree.Write("F/.ostrel-00000000000000ab.part", "ours");
    tree.Write("F/.ostrel-00000000000000cd.part", "another run's");
    tree.Write("F/Sub/empty.jpg", "");  // a name no run of ours takes
    tree.Write("F/.ostrel-00000000000000ef.name", "Sub/empty.jpg");
    tree.Write("F/.ostrel-00000000000000ef.part", "ours");
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::last_write_time(entry.path(),
                            fs::last_write_time(entry.path()) - std::chrono::hours(1));
    }
    PublishAfterwards(folder, "picture.jpg");
    EXPECT_EQ(test::FileNames(folder),
              (test::Names{".ostrel-00000000000000cd.part", "picture.jpg", "theirs.jpg"}));
    EXPECT_TRUE(fs::exists(folder / "Sub/empty.jpg"));
}

TEST_F(SystemFileSystem, WhatAnotherRunIsAboutIsLeftToIt) {
    // A note of this minute may be another run's, at work in the folder.
    const fs::path folder = tree.Folder("F");
    KillWhileTakingAName(folder);
    PublishAfterwards(folder, "other.jpg");
    EXPECT_EQ(test::FileNames(folder).size(), 4U);
    EXPECT_EQ(fs::file_size(folder / "picture.jpg"), 0U);
}

TEST_F(SystemFileSystem, ASourceRewrittenWithItsSizeAndTimeKeptIsNoLongerTheOneRead) {
    // Only the change time tells, which no program can set back.
    tree.Write("F/a.PMP", "abcd");
    const Folder folder = files.GetFolder((tree / "F").string());
    const File file{(tree / "F/a.PMP").string(), "a.PMP"};
    const FileIdentity read = files.OpenForReading(folder, file)->Identity();
    EXPECT_TRUE(read.StableIdentity);
    const auto time = fs::last_write_time(file.Path);
    std::fstream(file.Path, std::ios::in | std::ios::out | std::ios::binary) << "ABCD";
    fs::last_write_time(file.Path, time);
    const DeletionCheck check{read, nullptr};
    EXPECT_EQ(Failure([&] { files.DeleteFile(folder, file, &check); }), ChangedSinceRead);
    EXPECT_TRUE(fs::exists(file.Path));
}

TEST_F(SystemFileSystem, WhereInodeNumbersDoNotLastTheBytesTell) {
    // A file that comes back with another inode number, as FAT and FUSE give
    // them, is the same file when its bytes are; a file of the same size and
    // time whose bytes differ is not.
    test::FaultyFileSystem system;
    system.Unnumbered = true;
    tree.Write("F/same.PMP", "abcd");
    tree.Write("F/other.PMP", "abcd");
    const Folder folder = system.GetFolder((tree / "F").string());
    const auto check = [&](const std::string& name) {
        const File file{(tree / "F" / name).string(), name};
        const FileIdentity read = system.OpenForReading(folder, file)->Identity();
        EXPECT_FALSE(read.StableIdentity);
        const fs::path path = file.Path;
        const auto time = fs::last_write_time(path);
        fs::copy_file(path, path.string() + ".new");
        fs::rename(path.string() + ".new", path);
        if (name == "other.PMP") {
            std::fstream(path, std::ios::in | std::ios::out | std::ios::binary) << "ABCD";
        }
        fs::last_write_time(path, time);
        const DeletionCheck deletion{read, [](InputFile& in) {
                                         std::uint8_t bytes[8]{};
                                         return in.Read(bytes) == 4 &&
                                                std::string(bytes, bytes + 4) == "abcd";
                                     }};
        return Failure([&] { system.DeleteFile(folder, file, &deletion); });
    };
    EXPECT_EQ(check("same.PMP"), "no failure");
    EXPECT_EQ(check("other.PMP"), ChangedSinceRead);
    EXPECT_EQ(test::FileNames(tree / "F"), test::Names{"other.PMP"});
}

#ifdef __linux__
// What each kind of file system is trusted with: its inode numbers and
// times, one flush of the whole file system, or only a flush of everything.
TEST(MediumOfKind, TrustsEachFileSystemWithWhatItKeeps) {
    struct Row {
        const char* Name;
        std::uint32_t Type;
        bool OnBlockDevice, StableIdentity, FlushedWhole, FlushEverything;
    };
    const Row rows[] = {
        {"ext4", 0xEF53, true, true, true, false},
        {"tmpfs", 0x01021994, false, true, true, false},
        {"vfat", 0x4D44, true, false, true, false},
        {"exfat", 0x2011BAB0, true, false, true, false},
        {"overlay", 0x794C7630, false, false, true, false},
        {"fuseblk", 0x65735546, true, false, true, false},
        {"plain fuse", 0x65735546, false, false, false, true},
        {"nfs", 0x6969, false, false, false, false},
        {"unknown", 0x1234, true, false, false, true},
    };
    for (const Row& row : rows) {
        const posix::Medium medium = posix::MediumOfKind(row.Type, row.OnBlockDevice);
        EXPECT_EQ((std::array{medium.StableIdentity, medium.FlushedWhole, medium.FlushEverything}),
                  (std::array{row.StableIdentity, row.FlushedWhole, row.FlushEverything}))
            << row.Name;
    }
}
#endif

}  // namespace
}  // namespace ostrel
