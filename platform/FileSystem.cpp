#include "FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <vector>

namespace ostrel {

bool FileSystemError::AlreadyExists() const {
    return code_ == EEXIST;
}

std::uint64_t FileSystem::CopyRemainder(InputFile& from, OutputFile& to) {
    std::vector<std::uint8_t> buffer(1 << 20);
    std::uint64_t copied = 0;
    for (;;) {
        const std::size_t got = from.Read(buffer);
        if (got == 0) {
            return copied;
        }
        to.Write(std::span(buffer.data(), got));
        copied += got;
    }
}

FolderListing FileSystem::ListFolderByName(const Folder& folder) {
    FolderListing listing = ListFolder(folder);
    const auto byName = [](const auto& a, const auto& b) { return a.Name < b.Name; };
    std::sort(listing.Files.begin(), listing.Files.end(), byName);
    std::sort(listing.Subfolders.begin(), listing.Subfolders.end(), byName);
    std::sort(listing.Others.begin(), listing.Others.end(), byName);
    return listing;
}

bool FileSystem::NameFits(const Folder& folder, const std::string& name) {
    return name.size() <= MaxNameLength(folder);
}

std::string FileSystem::JoinPath(const std::string& folderPath, const std::string& name) const {
    if (!folderPath.empty() && folderPath.back() == '/') {
        return folderPath + name;
    }
    return folderPath + '/' + name;
}

bool FileSystem::IsValidName(const std::string& name) const {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

FileSystemError FileSystem::NameTooLong() const {
    return FileSystemError(std::generic_category().message(ENAMETOOLONG), ENAMETOOLONG);
}

std::string TemporaryFileName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    char name[48];
    std::snprintf(name, sizeof name, ".ostrel-%08x%08x.part", seed, counter.fetch_add(1));
    return name;
}

}  // namespace ostrel
