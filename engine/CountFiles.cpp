#include <limits>

#include "ConversionRun.h"

namespace ostrel {
namespace {

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    return a > Max - b ? Max : a + b;
}

std::int32_t CountIn(FileSystem& fs, const Folder& folder, std::string_view extension,
                     bool includeSubfolders, std::set<FolderId>& seen) {
    seen.insert(folder.Id);
    std::int32_t total = 0;
    const std::string wanted = UpperTail(extension);
    for (const File& file : fs.Files(folder)) {
        if (extension == "*" || UpperTail(file.Name) == wanted) {
            total = SaturatingAdd(total, 1);
        }
    }
    if (includeSubfolders) {
        for (const Folder& subfolder : fs.Subfolders(folder)) {
            if (!seen.contains(subfolder.Id)) {
                total = SaturatingAdd(total,
                                      CountIn(fs, subfolder, extension, includeSubfolders, seen));
            }
        }
    }
    return total;
}

}  // namespace

std::string UpperTail(std::string_view name) {
    std::string tail(name.size() > 3 ? name.substr(name.size() - 3) : name);
    for (char& c : tail) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return tail;
}

bool IsPictureFile(std::string_view name) {
    return UpperTail(name) == "PMP";
}

std::int32_t CountFiles(FileSystem& fileSystem, const std::string& FolderPath,
                        std::string_view Extension, bool IncludeSubfolders,
                        const std::set<FolderId>& skip) {
    std::set<FolderId> seen = skip;
    return CountIn(fileSystem, fileSystem.GetFolder(FolderPath), Extension, IncludeSubfolders,
                   seen);
}

}  // namespace ostrel
