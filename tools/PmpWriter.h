#pragma once
// PMP files of our own making, for the sample set, the benchmarks and the
// tests: a 124-byte history header, field by field, in front of picture data.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::tools {

struct History {
    std::uint8_t Lens = 0;
    std::uint8_t Quality = 23;
    std::string Comment{};  // Windows-1252 bytes, at most 19
    std::uint8_t Recorded[6] = {99, 7, 4, 14, 5, 9};
    std::uint8_t Revised[6] = {99, 7, 4, 14, 5, 9};
    std::uint16_t Shutter = 500;
    std::uint8_t Flash = 1;
};

inline std::vector<std::uint8_t> PmpFile(const History& h,
                                         const std::vector<std::uint8_t>& picture) {
    std::vector<std::uint8_t> bytes(124 + picture.size(), 0);
    bytes[27] = h.Lens;
    bytes[29] = h.Quality;
    std::copy_n(h.Comment.begin(), std::min<std::size_t>(h.Comment.size(), 19), bytes.begin() + 52);
    std::copy_n(h.Recorded, 6, bytes.begin() + 76);
    std::copy_n(h.Revised, 6, bytes.begin() + 84);
    bytes[102] = static_cast<std::uint8_t>(h.Shutter >> 8);
    bytes[103] = static_cast<std::uint8_t>(h.Shutter & 0xFF);
    bytes[118] = h.Flash;
    std::copy(picture.begin(), picture.end(), bytes.begin() + 124);
    return bytes;
}

}  // namespace ostrel::tools
