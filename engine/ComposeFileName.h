#pragma once
// Turning a picture's history into the name of its JPG file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ConversionOptions.h"
#include "PictureHistory.h"

namespace ostrel {

// The pieces of a name that do not depend on the serial number. Built once per
// picture; ComposeFileName(parts, n) then gives the name for each attempt.
struct NameParts {
    NameFormat Format = NameFormat::HistoryData2Short;
    SerialNumbers Serial = SerialNumbers::WhenNeeded;
    std::string RecordedPart;
    std::string DetailPart;  // everything after the serial number but the comment
    std::string Comment;     // translated; empty for none
    // How much of the comment goes into the name (a shortened one is marked
    // with "…"), and whether it goes in at all: ShortenComment's doing.
    std::size_t CommentBytes = 0;
    bool WithComment = true;
};

NameParts ComposeNameParts(const PictureHistory& history, const ConversionOptions& options);

// Takes the last whole character off the comment that goes into the names,
// marking the cut with "…"; after its last character, the comment itself.
// False when there is no comment left to take from.
bool ShortenComment(NameParts& parts);

// The JPG file name (base name and ".jpg", no folder) for one attempt.
// `serialNumber` is 1 or more.
std::string ComposeFileName(const NameParts& parts, std::int32_t serialNumber);

// How the names write each history value: a code the camera does not write
// goes in as its decimal number.
std::string LensText(const Coded<Lens>& lens);                     // "Forward", "Reverse"
std::string FlashText(const Coded<bool>& flash);                   // "Y", "N"
std::string ShutterSpeedText(const Coded<ExposureTime>& shutter);  // "033ms": to the millisecond
std::string QualityText(const Coded<PictureQuality>& quality);     // "Fine", "Standard", "Snapshot"

}  // namespace ostrel
