#pragma once
// The Exif block that ostrel-convert --exif, and the window when asked, put
// into each JPG file. The engine decides where it goes and copies every byte
// of the picture around it; an implementation outside the engine
// (Exiv2ExifEncoder) builds it, so that the engine links no metadata library.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "PictureHistory.h"

namespace ostrel {

// The metadata library's refusal, with its own description.
class ExifError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ExifEncoder {
public:
    virtual ~ExifEncoder() = default;
    // A whole APP1 segment (marker, length, "Exif\0\0" and the TIFF structure)
    // holding what the history gives: the camera, the recorded date-time as the
    // picture's original and digitized times, the revised one as its change
    // time, the flash, the exposure time and the comment (as a user comment,
    // in ASCII or Unicode as it needs, and as the description when it is
    // ASCII). A value the header does not give (a code outside the tables, no
    // comment) is left out. Throws ExifError.
    virtual std::vector<std::uint8_t> Encode(const PictureHistory& history) = 0;
};

}  // namespace ostrel
