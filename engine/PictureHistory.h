#pragma once
// What one PMP file tells about its picture: the decoded 124-byte history
// header plus the album and shot numbers taken from the camera's folder and
// file names. Values, not texts: the name composer and the Exif writer each
// put them in their own form.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "DateTime.h"

namespace ostrel {

inline constexpr std::size_t HeaderSize = 124;

// A header field: the code the header holds, and what it means when it is one
// of the codes the camera writes (nothing for any other code).
template <typename T>
struct Coded {
    unsigned Code = 0;
    std::optional<T> Value;

    bool operator==(const Coded&) const = default;
};

enum class Lens { Forward, Reverse };
enum class PictureQuality { Fine, Standard, Snapshot };

// An exposure time in seconds, as the fraction photo tools show (1/30 s).
struct ExposureTime {
    std::uint32_t Numerator = 1;
    std::uint32_t Denominator = 1;

    bool operator==(const ExposureTime&) const = default;
};

struct PictureHistory {
    DateTime RecordedDateTime;
    DateTime RevisedDateTime;
    Coded<Lens> LensOrientation;
    Coded<bool> Flash;  // true when it fired
    Coded<ExposureTime> ShutterSpeed;
    Coded<PictureQuality> Quality;
    std::string Comment;            // UTF-8, 0 to 19 characters, trimmed
    std::int32_t AlbumNumber = -1;  // -1: the folder's name is not PICxxxxx
    std::int32_t ShotNumber = -1;   // -1: the file's name is not PSNxxxxx.PMP

    bool operator==(const PictureHistory&) const = default;
};

// Decodes a history header. Every byte value decodes; there is no failure.
// `fileName` is the PMP file's own name and `folderName` the own name of the
// folder that directly holds it. The comment's bytes are characters of the
// Windows code page `codePage` (DecodeCodePageText).
PictureHistory ReadPictureHistory(std::span<const std::uint8_t, HeaderSize> header,
                                  std::string_view fileName, std::string_view folderName,
                                  unsigned codePage);

}  // namespace ostrel
