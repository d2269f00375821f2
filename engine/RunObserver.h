#pragma once
// What a conversion run tells as it goes: each problem it steps past, and each
// JPG file it writes. The engine only reports; the fronts count, word and show.

#include <cstdint>
#include <string>
#include <utility>

namespace ostrel {

// What the run could not do, at the path of the problem.
enum class Action {
    ConvertFile,           // a PMP file (or an entry named like one) is not converted
    ReachFile,             // a listed PMP file is gone when the run comes to it
    ConvertFolder,         // a folder the run writes into holds PMP files, left as they are
    ReadFolder,            // a source folder cannot be listed
    CreateFolder,          // an output subfolder cannot be made: FilesLeft PMP files stay
    DeleteFile,            // a source file stays
    DeleteSubfolder,       // an emptied source subfolder stays
    DeleteFilesBelowLink,  // nothing is deleted below this folder link
    AddExif,               // a JPG file was written without the Exif block asked for
};

// Why.
enum class Cause {
    System,              // Detail: the system's (or the metadata library's) own words
    NoPictureData,       // nothing after the 124-byte header
    NoFreeName,          // every serial number up to 32767 is taken
    InvalidName,         // Detail: the name, which holds a character no file name can
    ReservedName,        // Detail: the name, which the system keeps for a device
    IncompleteCopy,      // Copied of Expected bytes of picture data
    FolderNotFile,       // an entry named like a PMP file is a folder
    WritesIntoFolder,    // FilesLeft: the PMP files left in the folder
    ReachedThroughLink,  // its files may lie outside the source folder
    HoldsLink,           // Detail: the link that keeps the subfolder
    NotJpeg,             // the picture data does not start like a JPEG picture
    FileSystemFolder,    // lost+found at the top of a file system, which the run never makes
};

struct Reason {
    Reason() = default;
    Reason(Cause why, std::string detail = {}) : Why(why), Detail(std::move(detail)) {}

    Cause Why = Cause::System;
    std::string Detail;
    std::uint64_t Copied = 0;
    std::uint64_t Expected = 0;
    std::int32_t FilesLeft = 0;  // PMP files left unconverted because of it

    bool operator==(const Reason&) const = default;
};

struct RunProblem {
    Action What = Action::ConvertFile;
    std::string Path;
    Reason Because;

    bool operator==(const RunProblem&) const = default;
};

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // A problem the run stepped past; it goes on with the next entry.
    virtual void ProblemMet(const RunProblem& problem) = 0;
    // A JPG file written (in a dry run, planned) under its full path, with the
    // serial number it was written with (1 for the first attempt).
    virtual void FileWritten(const std::string& path, std::int32_t serialNumber) = 0;
    // The run was asked to stop and did, leaving this many PMP files of the
    // folders it would have converted untouched. Told once, at its end.
    virtual void RunStopped(std::int32_t filesNotReached) = 0;
};

}  // namespace ostrel
