#pragma once
// What one PMP file tells about its picture: the decoded 124-byte history header
// plus the album and shot numbers taken from the camera's folder and file names.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ostrel {

inline constexpr std::size_t HeaderSize = 124;

// A calendar date and time of day, to the second, always normalised.
struct DateTime {
    int Year = 2000;
    int Month = 1;   // 1..12
    int Day = 1;     // 1..31
    int Hour = 0;    // 0..23
    int Minute = 0;  // 0..59
    int Second = 0;  // 0..59

    auto operator<=>(const DateTime&) const = default;
};

// "yyyy-mm-dd @hh-nn-ss", as in 1999-07-04 @14-05-09.
std::string FormatDateTime(const DateTime& value);

struct PictureHistory {
    DateTime RecordedDateTime;
    DateTime RevisedDateTime;
    std::string LensOrientation;  // "Forward", "Reverse" or the code in decimal
    std::string Flash;            // "Y", "N" or the code in decimal
    std::string ShutterSpeed;     // "133ms" ... "001ms" or the code in decimal
    std::string Quality;          // "Fine", "Standard", "Snapshot" or the code in decimal
    std::string Comment;          // UTF-8, 0 to 19 characters, trimmed
    std::int32_t AlbumNumber = -1;
    std::int32_t ShotNumber = -1;

    bool operator==(const PictureHistory&) const = default;
};

// Decodes a history header. Every byte value decodes; there is no failure.
// `header` must hold exactly HeaderSize bytes. `fileName` is the PMP file's own
// name and `folderName` the own name of the folder that directly holds it.
PictureHistory ReadPictureHistory(std::span<const std::uint8_t, HeaderSize> header,
                                  std::string_view fileName, std::string_view folderName);

// The date-time that six header bytes (year code, month, day, hour, minute,
// second) stand for, with every out-of-range value carried over.
DateTime DecodeDateTime(std::uint8_t yearCode, std::uint8_t month, std::uint8_t day,
                        std::uint8_t hour, std::uint8_t minute, std::uint8_t second);

// The shutter speed text of a 16-bit shutter code.
std::string ShutterSpeedText(std::uint16_t code);

// The album number of a PICxxxxx folder name and the shot number of a
// PSNxxxxx.PMP file name, or -1 when the name does not have the camera's form.
std::int32_t AlbumNumberOf(std::string_view folderName);
std::int32_t ShotNumberOf(std::string_view fileName);

// Appends the UTF-8 form of one Windows-1252 byte.
void AppendWindows1252(std::string& out, std::uint8_t byte);

}  // namespace ostrel
