#pragma once
// Exif blocks built with Exiv2, the library that photo tools use for them.

#include "ExifEncoder.h"

namespace ostrel {

class Exiv2ExifEncoder final : public ExifEncoder {
public:
    // Silences Exiv2's own messages: what goes wrong is thrown, and reported
    // by the run like any other problem.
    Exiv2ExifEncoder();
    std::vector<std::uint8_t> Encode(const PictureHistory& history) override;
};

}  // namespace ostrel
