#pragma once
// Counting the files a run will meet, before it starts.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace ostrel {

enum class UnreadableSubfolders { Fail, Skip };

// The subfolders that a count passed over because they could not be read.
struct PassedOver {
    std::int32_t Folders = 0;
    std::string FirstPath;  // the first met, folders taken by name
    std::string FirstDescription;
};

// Counts the files whose names end in the three-character `extension` (any
// case), through all subfolders when `includeSubfolders`. Folders in `skip` are not entered, nor is
// any folder twice, nor a link to a folder inside the counted tree (its target is counted under its
// own name). A folder that cannot be read is thrown as a FileSystemError, except a subfolder under
// Skip, which is passed over and noted in `passedOver` when given (the walk reports it when it gets
// there). The count stops at the largest 32-bit number.
std::int32_t CountFiles(FileSystem& fileSystem, const std::string& folderPath,
                        std::string_view extension, bool includeSubfolders,
                        const std::set<FolderId>& skip = {},
                        UnreadableSubfolders unreadable = UnreadableSubfolders::Fail,
                        PassedOver* passedOver = nullptr);
// The same below an open folder.
std::int32_t CountFiles(FileSystem& fileSystem, const Folder& folder, std::string_view extension,
                        bool includeSubfolders, const std::set<FolderId>& skip = {},
                        UnreadableSubfolders unreadable = UnreadableSubfolders::Fail,
                        PassedOver* passedOver = nullptr);

// True when `subfolder` is a link to a folder that lies inside the tree at
// `treePath` (that folder itself included).
bool LeadsIntoTree(FileSystem& fileSystem, const Folder& subfolder, const std::string& treePath);

}  // namespace ostrel
