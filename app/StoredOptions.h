#pragma once
// The options as the window shows them and the settings store keeps them: the
// 23 values under the names of their controls and keys, with the first-run
// defaults, and the one table that describes each of them to loading and
// saving, to the window's controls and to ostrel-convert's options.
//
// Values are kept as stored, unchecked: EngineOptions() alone decides what
// each one means to the engine (a mode other than 2 is the first choice, a
// name format outside the list the last one, and so on), so that no stored
// value can make the engine misbehave.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "ConversionOptions.h"

namespace ostrel {

// Check boxes and list indices are 16-bit signed (0/1, or a 0-based entry;
// -1 for no entry); modes are 8-bit unsigned (1 or 2).
using CheckBox = std::int16_t;
using ListIndex = std::int16_t;
using Mode = std::uint8_t;

// The folder a first run starts from: "C:\" on Windows, the home folder elsewhere.
std::string DefaultFolder();

struct StoredOptions {
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
    CheckBox AddSerialNumber = 1;  // only enables Option1/Option2; the engine never reads it
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

    // Tab "Advanced", beside the name components: the history as Exif data
    // in each JPG file too, and the code page the comments were written in
    // (0: the system's; then those of CommentCodePages(), in order).
    CheckBox WriteExifData = 0;
    ListIndex CommentCodePage = 0;

    bool operator==(const StoredOptions&) const = default;
};

// What the engine makes of the stored options. The Exif data is not among
// them: the front that runs the conversion gives the run an Exif encoder.
ConversionOptions EngineOptions(const StoredOptions& stored);

// The Windows ANSI code pages a comment can be read in, as the list
// CommentCodePage offers them after "System default".
std::span<const unsigned> CommentCodePages();

enum class OptionKind {
    Text,        // a text box
    List,        // a drop-down list of fixed entries
    Check,       // a check box: 0 or 1
    ButtonPair,  // a mode: 1 or 2, set by a pair of option buttons
};

// A word of an ostrel-convert option and the stored value it stands for.
using OptionWord = std::pair<std::string_view, int>;

// One stored option. Its key is also the name of the control that shows it.
struct OptionField {
    const char* Section;
    const char* Key;
    OptionKind Kind;
    std::variant<std::string StoredOptions::*, std::int16_t StoredOptions::*,
                 std::uint8_t StoredOptions::*>
        Field;
    std::span<const std::string_view> Entries = {};  // List: its entries, by index
    std::array<const char*, 2> Buttons = {};         // Mode: the buttons of 1 and 2

    // How ostrel-convert sets it, if it does. A check box is switched off by
    // the word `Option` of --omit, or, when `Option` is a flag ("--exif"),
    // switched on by it; a list or mode takes one of `Words`, or, without
    // words, is set to 1 by the flag; a text takes any text.
    const char* Option = nullptr;
    std::span<const OptionWord> Words = {};
    const char* Help = nullptr;

    // The value of a list, check box or mode, and its text otherwise.
    long Number(const StoredOptions& options) const;
    void SetNumber(StoredOptions& options, long value) const;
    const std::string& Text(const StoredOptions& options) const;
    void SetText(StoredOptions& options, std::string value) const;
};

// Every stored option, in the order of the window, "Main" before "Advanced".
std::span<const OptionField> OptionTable();

}  // namespace ostrel
