#pragma once
// Every choice the conversion engine acts on, with the first-run defaults.
//
// The window fills this record from its controls when a conversion starts; the
// settings store uses the field names as its keys. Values are copied unchecked:
// the engine reads each one as its own rules say (a mode other than 2 means the
// first choice, and so on), so no stored value can make it misbehave.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Check boxes and list indices are 16-bit signed (0/1, or a 0-based entry;
// -1 for no entry); modes are 8-bit unsigned (1 or 2).
using CheckBox = std::int16_t;
using ListIndex = std::int16_t;
using Mode = std::uint8_t;

// The folder a first run starts from: "C:\" on Windows, the home folder elsewhere.
std::string DefaultFolder();

struct ConversionOptions {
    // Tab "Main", frame "Folders".
    std::string SourcePath = DefaultFolder();
    std::string OutputPath = DefaultFolder();

    // Tab "Main", frames "Source Options" and "Output Options".
    ListIndex ProcessSubfolders = 0;
    ListIndex DeleteSourceFiles = 0;
    ListIndex DeleteSourceSubfolders = 0;
    ListIndex JPGNameFormat = 1;

    // Tab "Advanced", frame "JPG File Name Components", top to bottom.
    CheckBox ExtractRecorded = 1;
    CheckBox AddSerialNumber = 1;  // only enables Option1/Option2; never read by the engine
    Mode SerialNumberMode = 1;
    CheckBox ExtractAlbumNumber = 1;
    CheckBox ExtractShotNumber = 1;
    CheckBox ExtractLensOrientation = 1;
    CheckBox ExtractFlash = 1;
    CheckBox ExtractShutter = 1;
    CheckBox ExtractQuality = 1;
    CheckBox ExtractEdited = 1;
    Mode ExtractEditedDifferent = 1;
    CheckBox ExtractComment = 1;
    Mode IllegalCharacters = 1;
    CheckBox AddDeviceName = 1;
    std::string DeviceName = "Sony DSC-F1";

    bool operator==(const ConversionOptions&) const = default;
};

// The entries of the drop-down lists, by index.
inline constexpr std::array<std::string_view, 3> ProcessSubfoldersEntries = {
    "Do nothing",
    "Convert into matching output subfolders",
    "Convert directly into top-level output folder",
};
inline constexpr std::array<std::string_view, 3> DeleteSourceFilesEntries = {
    "Do nothing",
    "Delete Sony picture files (*.PMP)",
    "Delete all Sony files (*.PMP, *.PMX, *.PMF)",
};
inline constexpr std::array<std::string_view, 2> DeleteSourceSubfoldersEntries = {
    "Do nothing",
    "Delete source subfolders if empty",
};
inline constexpr std::array<std::string_view, 3> JPGNameFormatEntries = {
    "History Data 1.x",
    "History Data 2.x (with short attribute names)",
    "History Data 2.x (with long attribute names)",
};

// How the engine reads the three modes.
inline bool SerialNumberAlways(const ConversionOptions& o) {
    return o.SerialNumberMode == 2;
}
inline bool RevisedAlways(const ConversionOptions& o) {
    return o.ExtractEditedDifferent == 2;
}
inline bool TranslateIllegal(const ConversionOptions& o) {
    return o.IllegalCharacters == 1;
}

}  // namespace ostrel
