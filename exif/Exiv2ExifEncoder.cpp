#include "Exiv2ExifEncoder.h"

#include <algorithm>
#include <cstdio>
#include <exiv2/exiv2.hpp>
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

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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
        if (const auto fired = history.Flash.Value) {
            // Exif's Flash values for "fired" and "did not fire".
            exif["Exif.Photo.Flash"] = static_cast<std::uint16_t>(*fired ? 1 : 0);
        }
        if (const auto exposure = history.ShutterSpeed.Value) {
            // As the fraction, so that libraries show 1/30 s and not 0.0333 s.
            exif["Exif.Photo.ExposureTime"] =
                Exiv2::URational(exposure->Numerator, exposure->Denominator);
        }
        if (!history.Comment.empty()) {
            // ImageDescription is ASCII by definition, and readers take other
            // bytes there each in their own way; UserComment says its
            // character set, and photo libraries read it in any language.
            if (IsAscii(history.Comment)) {
                exif["Exif.Image.ImageDescription"] = history.Comment;
                exif["Exif.Photo.UserComment"] = "charset=Ascii " + history.Comment;
            } else {
                exif["Exif.Photo.UserComment"] = "charset=Unicode " + history.Comment;
            }
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
