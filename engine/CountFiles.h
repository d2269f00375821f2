#pragma once
// Counting the files a run will meet, before it starts.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace ostrel {

enum class UnreadableSubfolders { Fail, Skip };

// Counts the files whose names end in the three-character `extension` (any
// case), or every file for "*", through all subfolders when
// `includeSubfolders`. Folders in `skip` are not entered, nor is any folder
// twice. A folder that cannot be read is thrown as a FileSystemError, except a
// subfolder under Skip, which is passed over (the walk reports it when it gets
// there). The count stops at the largest 32-bit number.
std::int32_t CountFiles(FileSystem& fileSystem, const std::string& folderPath,
                        std::string_view extension, bool includeSubfolders,
                        const std::set<FolderId>& skip = {},
                        UnreadableSubfolders unreadable = UnreadableSubfolders::Fail);

}  // namespace ostrel
