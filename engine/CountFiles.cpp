#include <limits>

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

std::int32_t CountIn(Count& count, const Folder& folder, bool isTop) {
    count.Seen.insert(folder.Id);
    FolderListing listing;
    try {
        listing = count.Files.ListFolderByName(folder);
    } catch (const FileSystemError& error) {
        if (isTop || count.Unreadable == UnreadableSubfolders::Fail) {
            throw;
        }
        if (count.Over != nullptr && count.Over->Folders++ == 0) {
            count.Over->FirstPath = folder.Path;
            count.Over->FirstDescription = error.what();
        }
        return 0;
    }
    std::int32_t total = 0;
    const std::string wanted = UpperTail(count.Extension);
    for (const File& file : listing.Files) {
        if (UpperTail(file.Name) == wanted) {
            total = SaturatingAdd(total, 1);
        }
    }
    if (count.IncludeSubfolders) {
        for (const Folder& subfolder : listing.Subfolders) {
            if (!count.Seen.contains(subfolder.Id) &&
                !LeadsIntoTree(count.Files, subfolder, count.Top)) {
                total = SaturatingAdd(total, CountIn(count, subfolder, false));
            }
        }
    }
    return total;
}

}  // namespace

std::int32_t CountFiles(FileSystem& fileSystem, const std::string& folderPath,
                        std::string_view extension, bool includeSubfolders,
                        const std::set<FolderId>& skip, UnreadableSubfolders unreadable,
                        PassedOver* passedOver) {
    const Folder top = fileSystem.GetFolder(folderPath);
    Count count{fileSystem, top.Path, extension, includeSubfolders, unreadable, passedOver, skip};
    return CountIn(count, top, true);
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
