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
    std::string_view Extension;
    bool IncludeSubfolders;
    UnreadableSubfolders Unreadable;
    std::set<FolderId> Seen;
};

std::int32_t CountIn(Count& count, const Folder& folder, bool isTop) {
    count.Seen.insert(folder.Id);
    FolderListing listing;
    try {
        listing = count.Files.ListFolder(folder);
    } catch (const FileSystemError&) {
        if (isTop || count.Unreadable == UnreadableSubfolders::Fail) {
            throw;
        }
        return 0;
    }
    std::int32_t total = 0;
    const std::string wanted = UpperTail(count.Extension);
    for (const File& file : listing.Files) {
        if (count.Extension == "*" || UpperTail(file.Name) == wanted) {
            total = SaturatingAdd(total, 1);
        }
    }
    if (count.IncludeSubfolders) {
        for (const Folder& subfolder : listing.Subfolders) {
            if (!count.Seen.contains(subfolder.Id)) {
                total = SaturatingAdd(total, CountIn(count, subfolder, false));
            }
        }
    }
    return total;
}

}  // namespace

std::int32_t CountFiles(FileSystem& fileSystem, const std::string& folderPath,
                        std::string_view extension, bool includeSubfolders,
                        const std::set<FolderId>& skip, UnreadableSubfolders unreadable) {
    Count count{fileSystem, extension, includeSubfolders, unreadable, skip};
    return CountIn(count, fileSystem.GetFolder(folderPath), true);
}

}  // namespace ostrel
