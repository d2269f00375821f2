#include <limits>
#include <optional>

#include "CountFiles.h"

#include "PictureFile.h"

namespace ostrel {
namespace {

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    return a > Max - b ? Max : a + b;
}

struct Count {
    FileSystem& Files;
    std::string Top;
    std::string_view Extension;
    bool IncludeSubfolders;
    UnreadableSubfolders Unreadable;
    PassedOver* Over;
    std::set<FolderId> Seen;
};

// A subfolder that cannot be read, under Skip: noted, and counted as none.
void PassOver(Count& count, const std::string& path, const FileSystemError& error) {
    if (count.Unreadable == UnreadableSubfolders::Fail) {
        throw error;
    }
    if (count.Over != nullptr && count.Over->Folders++ == 0) {
        count.Over->FirstPath = path;
        count.Over->FirstDescription = error.what();
    }
}

std::int32_t CountIn(Count& count, const Folder& folder, bool isTop) {
    count.Seen.insert(folder.Id);
    FolderListing listing;
    try {
        listing = count.Files.ListFolderByName(folder);
    } catch (const FileSystemError& error) {
        if (isTop) {
            throw;
        }
        PassOver(count, folder.Path, error);
        return 0;
    }
    std::int32_t total = 0;
    const std::string wanted = UpperTail(count.Extension);
    for (const File& file : listing.Files) {
        if (UpperTail(file.Name) == wanted) {
            total = SaturatingAdd(total, 1);
        }
    }
    if (!count.IncludeSubfolders) {
        return total;
    }
    for (const Folder& subfolder : listing.Subfolders) {
        if (count.Seen.contains(subfolder.Id) || LeadsIntoTree(count.Files, subfolder, count.Top)) {
            continue;
        }
        std::optional<Folder> entered;
        try {
            entered = count.Files.EnterFolder(folder, subfolder);
        } catch (const FileSystemError& error) {
            PassOver(count, subfolder.Path, error);
            continue;
        }
        total = SaturatingAdd(total, CountIn(count, *entered, false));
    }
    return total;
}

}  // namespace

std::int32_t CountFiles(FileSystem& fileSystem, const std::string& folderPath,
                        std::string_view extension, bool includeSubfolders,
                        const std::set<FolderId>& skip, UnreadableSubfolders unreadable,
                        PassedOver* passedOver) {
    return CountFiles(fileSystem, fileSystem.GetFolder(folderPath), extension, includeSubfolders,
                      skip, unreadable, passedOver);
}

std::int32_t CountFiles(FileSystem& fileSystem, const Folder& folder, std::string_view extension,
                        bool includeSubfolders, const std::set<FolderId>& skip,
                        UnreadableSubfolders unreadable, PassedOver* passedOver) {
    Count count{fileSystem, folder.Path, extension, includeSubfolders,
                unreadable, passedOver,  skip};
    return CountIn(count, folder, true);
}

bool LeadsIntoTree(FileSystem& fileSystem, const Folder& subfolder, const std::string& treePath) {
    if (!subfolder.IsLink) {
        return false;
    }
    std::string target;
    try {
        target = fileSystem.ComparablePath(fileSystem.GetFolder(subfolder.Path).Path);
    } catch (const FileSystemError&) {
        return false;  // left to whoever lists it, to report
    }
    const std::string top = fileSystem.ComparablePath(treePath);
    const std::string below = fileSystem.ComparablePath(fileSystem.JoinPath(treePath, ""));
    return target == top || target.starts_with(below);
}

}  // namespace ostrel
