#include "TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "WindowsFileSystem.h"
#else
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace ostrel::test {

TempTree::TempTree() {
    std::mt19937_64 random{std::random_device{}()};
    do {
        root_ = fs::temp_directory_path() / ("ostrel-test-" + std::to_string(random()));
    } while (!fs::create_directory(root_));
    root_ = fs::canonical(root_);  // as the system gives folders: no short names
}

TempTree::~TempTree() {
    std::error_code error;
    // Give every entry its write permission back, so that all of it can go. An
    // entry the walk cannot step past (a name Windows cannot reach) ends it:
    // the walk would stay on it for ever.
    std::error_code walking;
    for (auto it = fs::recursive_directory_iterator(root_, walking);
         !walking && it != fs::recursive_directory_iterator(); it.increment(walking)) {
        if (!it->is_symlink()) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(root_, error);
#ifndef _WIN32
    if (error) {  // paths beyond the system's limit: rm works through open folders
        std::system(("rm -rf '" + root_.string() + "'").c_str());
    }
#endif
}

fs::path TempTree::Folder(const std::string& relative) const {
    fs::create_directories(*this / relative);
    return *this / relative;
}

fs::path TempTree::Write(const std::string& relative, const Bytes& bytes) const {
    Folder(fs::path(relative).parent_path().string());
    std::ofstream(*this / relative, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return *this / relative;
}

#ifndef _WIN32
std::string TempTree::TooDeep(const std::string& relative, const Bytes& picture) const {
    std::string path = Folder(relative).string();
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(200, 'd');
    while (path.size() < PATH_MAX) {
        ::mkdirat(fd, name.c_str(), 0777);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        path += "/" + name;
    }
    const int file = ::openat(fd, "PSN00001.PMP", O_WRONLY | O_CREAT, 0666);
    EXPECT_EQ(::write(file, picture.data(), picture.size()), static_cast<ssize_t>(picture.size()));
    ::close(file);
    ::close(fd);
    return path;
}
#endif

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

Names FileNames(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    return Sorted(std::move(names));
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::string Denied() {
#ifdef _WIN32
    return SystemErrorText(ERROR_ACCESS_DENIED);
#else
    return std::generic_category().message(EACCES);
#endif
}

std::string NameTooLong() {
#ifdef _WIN32
    return SystemErrorText(ERROR_FILENAME_EXCED_RANGE);
#else
    return std::generic_category().message(ENAMETOOLONG);
#endif
}

Bytes EveryByte(std::size_t extra) {
    Bytes bytes(256 + extra);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i < 256 ? i : (i * 131 + 7) & 0xFF);
    }
    return bytes;
}

}  // namespace ostrel::test
