#include "Exiv2ExifEncoder.h"

#include <algorithm>
#include <cstdio>
#include <exiv2/exiv2.hpp>
#include <map>
#include <optional>
#include <string>

namespace ostrel {
namespace {

// "yyyy:mm:dd hh:mm:ss", the form of every Exif date-time.
std::string ExifDateTime(const DateTime& value) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", value.Year, value.Month,
                  value.Day, value.Hour, value.Minute, value.Second);
    return text;
}

// The camera's shutter speeds are the usual steps, which the texts round to
// whole milliseconds (133ms is 1/7.5 s); libraries show them as 1/30 s and so
// on only when they are written as such fractions.
std::optional<Exiv2::URational> ExposureTime(const std::string& shutterSpeed) {
    static const std::map<std::string, Exiv2::URational> steps = {
        {"133ms", {2, 15}},  {"067ms", {1, 15}},  {"033ms", {1, 30}},  {"017ms", {1, 60}},
        {"010ms", {1, 100}}, {"004ms", {1, 250}}, {"002ms", {1, 500}}, {"001ms", {1, 1000}},
    };
    const auto step = steps.find(shutterSpeed);
    return step == steps.end() ? std::nullopt : std::optional(step->second);
}

// Exif's Flash values for "fired" and "did not fire".
std::optional<std::uint16_t> FlashValue(const std::string& flash) {
    if (flash == "Y") {
        return 1;
    }
    if (flash == "N") {
        return 0;
    }
    return std::nullopt;
}

}  // namespace

Exiv2ExifEncoder::Exiv2ExifEncoder() {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
}

std::vector<std::uint8_t> Exiv2ExifEncoder::Encode(const PictureHistory& history) {
    Exiv2::Blob tiff;
    try {
        Exiv2::ExifData exif;
        // As Sony's cameras write them, so that libraries file these pictures
        // with the maker's others.
        exif["Exif.Image.Make"] = "SONY";
        exif["Exif.Image.Model"] = "DSC-F1";
        exif["Exif.Image.DateTime"] = ExifDateTime(history.RevisedDateTime);
        exif["Exif.Photo.ExifVersion"] = "48 50 51 48";  // "0230"
        exif["Exif.Photo.DateTimeOriginal"] = ExifDateTime(history.RecordedDateTime);
        exif["Exif.Photo.DateTimeDigitized"] = ExifDateTime(history.RecordedDateTime);
        if (const auto flash = FlashValue(history.Flash)) {
            exif["Exif.Photo.Flash"] = *flash;
        }
        if (const auto exposure = ExposureTime(history.ShutterSpeed)) {
            exif["Exif.Photo.ExposureTime"] = *exposure;
        }
        if (!history.Comment.empty()) {
            exif["Exif.Image.ImageDescription"] = history.Comment;
            exif["Exif.Photo.UserComment"] = "charset=Unicode " + history.Comment;
        }
        Exiv2::ExifParser::encode(tiff, Exiv2::littleEndian, exif);
    } catch (const Exiv2::AnyError& error) {
        throw ExifError(error.what());
    }

    static constexpr std::uint8_t Identifier[] = {'E', 'x', 'i', 'f', 0, 0};
    const std::size_t length = 2 + sizeof Identifier + tiff.size();  // counts its own two bytes
    if (length > 0xFFFF) {
        throw ExifError("The Exif data is too large for one JPEG segment");
    }
    std::vector<std::uint8_t> segment(2 + length);
    segment[0] = 0xFF;
    segment[1] = 0xE1;
    segment[2] = static_cast<std::uint8_t>(length >> 8);
    segment[3] = static_cast<std::uint8_t>(length & 0xFF);
    const auto tiffStart =
        std::copy(std::begin(Identifier), std::end(Identifier), segment.begin() + 4);
    std::copy(tiff.begin(), tiff.end(), tiffStart);
    return segment;
}

}  // namespace ostrel
