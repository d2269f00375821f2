#pragma once
// Where an Exif segment goes in a picture's JPEG data: right after the
// start-of-image marker, or after a JFIF segment that follows it, since readers
// of JFIF files expect that segment first.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FileSystem.h"

namespace ostrel {

// The start of the picture data, read at least as far as where the segment goes.
struct JpegHead {
    std::vector<std::uint8_t> Bytes;
    std::size_t ExifAt = 0;  // 0: the data does not start like a JPEG picture
};

// Reads the head of the `pictureBytes` bytes of picture data that `in` holds
// from where it stands. One read is enough for any usual JFIF segment; a read
// failure is thrown as the file system throws it.
JpegHead ReadJpegHead(InputFile& in, std::uint64_t pictureBytes);

// The head's bytes with `segment` in place (or as they are, with no segment).
std::vector<std::uint8_t> WithSegment(const JpegHead& head, std::span<const std::uint8_t> segment);

}  // namespace ostrel
