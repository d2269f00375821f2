#pragma once
// Real temporary folder trees for the tests, removed again afterwards.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel::test {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything
// in it (read-only entries included) when the object goes.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const fs::path& Root() const { return root_; }
    fs::path operator/(const std::string& relative) const { return root_ / relative; }

    // Creates the folder and any missing parents; returns its path.
    fs::path Folder(const std::string& relative) const;
    // Writes a file with exactly these bytes, creating parent folders.
    fs::path Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const;
    fs::path Write(const std::string& relative, const std::string& text) const;

  private:
    fs::path root_;
};

std::vector<std::uint8_t> ReadBytes(const fs::path& path);
// The names of the regular files directly in a folder, sorted.
std::vector<std::string> FileNames(const fs::path& folder);
void MakeReadOnly(const fs::path& path);

// A 124-byte header built field by field, and whole PMP files.
struct Header {
    std::uint8_t Lens = 0;
    std::uint8_t Quality = 23;
    std::string Comment;  // raw bytes, at most 19
    std::uint8_t Recorded[6] = {99, 7, 4, 14, 5, 9};
    std::uint8_t Revised[6] = {99, 7, 4, 14, 5, 9};
    std::uint16_t Shutter = 500;
    std::uint8_t Flash = 1;

    std::vector<std::uint8_t> Bytes() const;
};

// A PMP file: the header followed by `payload`.
std::vector<std::uint8_t> PmpFile(const Header& header, const std::vector<std::uint8_t>& payload);
// A payload that holds every byte value, 0x00 to 0xFF, then `extra` more bytes.
std::vector<std::uint8_t> EveryByte(std::size_t extra = 0);

}  // namespace ostrel::test
