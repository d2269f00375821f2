#pragma once
// Real temporary folder trees for the tests, and PMP files to put in them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PmpWriter.h"

namespace ostrel {
namespace fs = std::filesystem;
}

namespace ostrel::test {

inline constexpr bool Windows = fs::path::preferred_separator == '\\';
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

// The names, sorted.
Names Sorted(Names names);

// A fresh folder, removed with everything in it (read-only entries included).
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const fs::path& Root() const { return root_; }
    // Paths with the system's own separators, as the program writes them.
    fs::path operator/(const std::string& relative) const {
        return (root_ / relative).make_preferred();
    }
    // Creates the folder and its parents; returns its path.
    fs::path Folder(const std::string& relative) const;
    // Writes a file with exactly these bytes, creating its folder.
    fs::path Write(const std::string& relative, const Bytes& bytes) const;
    fs::path Write(const std::string& relative, const std::string& text) const {
        return Write(relative, Bytes(text.begin(), text.end()));
    }
#ifndef _WIN32
    // A chain of folders below `relative` whose last folder's path is longer
    // than the system takes, so that it cannot be listed (even by root), with
    // PSN00001.PMP holding `picture` in it. Returns that last folder's path.
    // (Windows takes 32,767 characters, more than Wine can make.)
    std::string TooDeep(const std::string& relative, const Bytes& picture) const;
#endif

private:
    fs::path root_;
};

Bytes ReadBytes(const fs::path& path);
// The names of the regular files directly in a folder, sorted.
Names FileNames(const fs::path& folder);
void MakeReadOnly(const fs::path& path);

// The system's own descriptions of these failures, as the file system service
// reports them.
std::string Denied();
std::string NameTooLong();

// A history header, field by field, and a PMP file: the header followed by
// `payload`.
using Header = tools::History;
using tools::PmpFile;
// Every byte value, 0x00 to 0xFF, then `extra` more bytes.
Bytes EveryByte(std::size_t extra = 0);

}  // namespace ostrel::test
