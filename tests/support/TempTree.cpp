#include "TempTree.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace ostrel::test {

TempTree::TempTree() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            fs::temp_directory_path() / ("ostrel-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

TempTree::~TempTree() {
    std::error_code error;
    // Give every entry its write permission back, so that all of it can go.
    for (auto it = fs::recursive_directory_iterator(root_, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink()) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(root_, error);
}

fs::path TempTree::Folder(const std::string& relative) const {
    fs::path path = root_ / relative;
    fs::create_directories(path);
    return path;
}

fs::path TempTree::Write(const std::string& relative,
                         const std::vector<std::uint8_t>& bytes) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

fs::path TempTree::Write(const std::string& relative, const std::string& text) const {
    return Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::vector<std::uint8_t> Header::Bytes() const {
    std::vector<std::uint8_t> bytes(124, 0);
    bytes[27] = Lens;
    bytes[29] = Quality;
    for (std::size_t i = 0; i < Comment.size() && i < 19; ++i) {
        bytes[52 + i] = static_cast<std::uint8_t>(Comment[i]);
    }
    for (int i = 0; i < 6; ++i) {
        bytes[76 + i] = Recorded[i];
        bytes[84 + i] = Revised[i];
    }
    bytes[102] = static_cast<std::uint8_t>(Shutter >> 8);
    bytes[103] = static_cast<std::uint8_t>(Shutter & 0xFF);
    bytes[118] = Flash;
    return bytes;
}

std::vector<std::uint8_t> PmpFile(const Header& header, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> bytes = header.Bytes();
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::vector<std::uint8_t> EveryByte(std::size_t extra) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i));
    }
    for (std::size_t i = 0; i < extra; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((i * 131 + 7) & 0xFF));
    }
    return bytes;
}

}  // namespace ostrel::test
