#pragma once
// Every choice the conversion engine acts on, as values. How the window and
// the settings store keep them (list indices, check boxes, modes 1 and 2) is
// their business: app/ turns that form into these options, once.

#include <string>

#include "CodePageText.h"

namespace ostrel {

// Which subfolders of the source folder are converted, and where to.
enum class SubfolderMode {
    None,      // only the source folder itself
    Matching,  // into matching subfolders of the output folder
    TopLevel,  // into the output folder itself
};

// Which source files go once their picture is converted.
enum class SourceDeletion {
    None,
    Pictures,      // the PMP files
    AllSonyFiles,  // the PMP files and the PMX and PMF files beside them
};

enum class NameFormat {
    HistoryData1,       // "1999-07-04 @14-05-09 PIC012 ..."
    HistoryData2Short,  // "{DT=1999-07-04 @14-05-09}{BA=012}..."
    HistoryData2Long,   // "{Date=1999-07-04 @14-05-09}{Batch=012}..."
};

// When a name gets a serial number.
enum class SerialNumbers { WhenNeeded, Always };

// When the revised date-time goes into a name (if at all).
enum class RevisedDate { WhenDifferent, Always };

// What happens to characters that names keep out of them.
enum class IllegalCharacters { Translate, Remove };

// Which pieces of a picture's history go into its name.
struct NameComponents {
    bool Recorded = true;
    bool AlbumNumber = true;
    bool ShotNumber = true;
    bool LensOrientation = true;
    bool Flash = true;
    bool ShutterSpeed = true;
    bool Quality = true;
    bool Revised = true;
    bool Comment = true;
    bool DeviceName = true;

    bool operator==(const NameComponents&) const = default;
};

struct ConversionOptions {
    SubfolderMode Subfolders = SubfolderMode::None;
    SourceDeletion DeleteFiles = SourceDeletion::None;
    bool DeleteEmptySubfolders = false;
    NameFormat Format = NameFormat::HistoryData2Short;
    SerialNumbers Serial = SerialNumbers::WhenNeeded;
    RevisedDate Revised = RevisedDate::WhenDifferent;
    IllegalCharacters Illegal = IllegalCharacters::Translate;
    NameComponents Include = {};
    std::string DeviceName = "Sony DSC-F1";
    // The Windows code page the comments' bytes are read in (DecodeCodePageText).
    unsigned CommentCodePage = Windows1252;

    bool operator==(const ConversionOptions&) const = default;
};

}  // namespace ostrel
