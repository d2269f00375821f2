#include "JpegHead.h"

#include <algorithm>
#include <iterator>

namespace ostrel {
namespace {

// Reads up to `count` more bytes onto the end of `bytes`; fewer only at the
// end of the file.
void ReadMore(InputFile& in, std::vector<std::uint8_t>& bytes, std::size_t count) {
    const std::size_t start = bytes.size();
    bytes.resize(start + count);
    std::size_t have = 0;
    while (have < count) {
        const std::size_t got = in.Read(std::span(bytes).subspan(start + have));
        if (got == 0) {
            break;
        }
        have += got;
    }
    bytes.resize(start + have);
}

}  // namespace

JpegHead ReadJpegHead(InputFile& in, std::uint64_t pictureBytes) {
    JpegHead head;
    std::vector<std::uint8_t>& b = head.Bytes;
    ReadMore(in, b, static_cast<std::size_t>(std::min<std::uint64_t>(pictureBytes, 512)));
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8 || b[2] != 0xFF) {
        return head;
    }
    head.ExifAt = 2;
    if (b.size() < 6 || b[3] != 0xE0) {
        return head;
    }
    const std::size_t length = std::size_t{b[4]} << 8 | b[5];  // counts its own two bytes
    if (length < 7 || 4 + length > pictureBytes) {
        return head;
    }
    if (b.size() < 4 + length) {
        ReadMore(in, b, 4 + length - b.size());
    }
    static constexpr std::uint8_t Jfif[] = {'J', 'F', 'I', 'F', 0};
    if (b.size() >= 4 + length && std::equal(std::begin(Jfif), std::end(Jfif), b.begin() + 6)) {
        head.ExifAt = 4 + length;
    }
    return head;
}

std::vector<std::uint8_t> WithSegment(const JpegHead& head, std::span<const std::uint8_t> segment) {
    std::vector<std::uint8_t> bytes = head.Bytes;
    const std::size_t at = segment.empty() ? 0 : head.ExifAt;
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), segment.begin(), segment.end());
    return bytes;
}

}  // namespace ostrel
