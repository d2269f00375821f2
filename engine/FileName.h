#pragma once
// Turning a picture's history into the name of its JPG file.

#include <cstdint>
#include <string>
#include <string_view>

#include "ConversionOptions.h"
#include "PictureHistory.h"

namespace ostrel {

// Spells out (TranslateMode true) or drops (false) each of the seventeen
// characters that are kept out of file names. Every other character, bytes of
// multi-byte UTF-8 sequences included, is copied unchanged.
std::string TranslateCharacters(std::string_view SourceString, bool TranslateMode);

// The pieces of a name that do not depend on the serial number. Built once per
// picture; ComposeFileName(parts, n) then gives the name for each attempt.
struct NameParts {
    int Format = 1;  // 0, 1 or 2; any other stored value is read as 2
    bool SerialAlways = false;
    std::string RecordedPart;
    std::string DetailPart;
};

NameParts ComposeNameParts(const PictureHistory& history, const ConversionOptions& options);

// The JPG file name (base name and ".jpg", no folder) for one attempt.
// SerialNumber is 1 or more.
std::string ComposeFileName(const NameParts& parts, std::int32_t SerialNumber);

std::string ComposeFileName(const PictureHistory& history, const ConversionOptions& options,
                            std::int32_t SerialNumber);

}  // namespace ostrel
