#include "FileSystem.h"

#include <cerrno>
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

std::string FileSystem::JoinPath(const std::string& folderPath, const std::string& name) const {
#ifdef _WIN32
    constexpr char Separator = '\\';
#else
    constexpr char Separator = '/';
#endif
    if (!folderPath.empty() && (folderPath.back() == Separator || folderPath.back() == '/')) {
        return folderPath + name;
    }
    return folderPath + Separator + name;
}

bool FileSystem::IsValidName(const std::string& name) const {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
#ifdef _WIN32
    constexpr std::string_view Forbidden = "\\/:*?\"<>|";
#else
    constexpr std::string_view Forbidden = "/";
#endif
    for (const char c : name) {
        if (c == '\0' || Forbidden.find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace ostrel
