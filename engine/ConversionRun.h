#pragma once
// One conversion run: the options, the services and the counters that every
// level of the folder walk shares, and the routines of the run.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "ConversionOptions.h"
#include "ExifEncoder.h"
#include "FileSystem.h"
#include "UserInteraction.h"

namespace ostrel {

// Kept by the request for the length of one run.
struct RunCounters {
    std::int32_t SourceObjectNumber = 0;       // PMP files converted
    std::int32_t NumberOfSerializedFiles = 0;  // JPG files saved with a serial number above 1
    std::int32_t NumberOfFailedFiles = 0;      // PMP files that could not be converted
    std::int32_t NumberOfFailedDeletions = 0;  // source files or subfolders not deleted
    std::int32_t NumberOfSkippedFolders = 0;   // folders that could not be read or created
    std::int32_t NumberOfLeftFiles = 0;        // PMP files in folders the run writes into
    // JPG files that could not take the Exif block asked for
    std::int32_t NumberOfFilesWithoutExif = 0;
};

// How each JPG file is dated: by the picture's recorded date-time, which photo
// libraries then show when a file has no Exif data, or by its conversion.
enum class FileTime { Recorded, Now };

class ConversionRun {
public:
    ConversionRun(FileSystem& fileSystem, UserInteraction& user, const ConversionOptions& options,
                  RunCounters& counters)
        : Files(fileSystem), User(user), Options(options), Counters(counters) {}

    FileSystem& Files;
    UserInteraction& User;
    const ConversionOptions& Options;
    RunCounters& Counters;

    // A dry run plans every name as a real run would and changes nothing on disk.
    bool DryRun = false;
    FileTime Times = FileTime::Recorded;
    // With an encoder, each JPG file gets an Exif block of its history.
    ExifEncoder* Exif = nullptr;
    // Told the full path of every JPG file written (or, in a dry run, planned).
    std::function<void(const std::string&)> OnWritten;

    // --- State of the run, kept by the routines below. ---

    // For each family of names (a picture's name without its serial number,
    // in one folder) that has met a taken name, the lowest serial number that
    // may still be free: every lower one is known to be taken. This keeps the
    // search for a free name linear over a run however many pictures share one
    // name, with the same result as trying 1, 2, 3, ... in turn, while a run of
    // distinct names keeps nothing.
    std::unordered_map<std::string, std::int32_t> FirstUntriedSerial;
    // The names a dry run has planned, which are not on the disk to be found,
    // in the form in which the file system compares them.
    std::unordered_set<std::string> PlannedPaths;

    // Folders the walk has entered, and folders the run writes into or made;
    // neither is ever entered again, so every tree ends.
    std::set<FolderId> Entered;
    std::set<FolderId> Outputs;
    std::uint64_t PlannedFolders = 0;
    // Folders reached through a link whose files were kept, reported once each.
    std::set<FolderId> KeptLinkFolders;
};

// The last three characters of a name (the whole name when shorter), in upper case.
std::string UpperTail(std::string_view name);

// The PMP-file test: the last three characters of the name (the whole name
// when shorter), in upper case, are "PMP".
bool IsPictureFile(std::string_view name);

// Whether DeleteSourceFiles asks for a file of this name to be deleted.
bool IsToBeDeleted(const ConversionOptions& options, std::string_view name);

// Converts one PMP file into a new JPG file of the output folder, which gets
// its name only when whole. Returns the source as it was read, or nothing when
// it could not be converted; the problem has then been reported and counted,
// and no JPG file is left of it.
std::optional<FileIdentity> ConvertPictureFile(ConversionRun& run, const File& file,
                                               const Folder& SourceFolder,
                                               const Folder& OutputFolder);

// Reports an entry of the source tree that could not be converted, and counts it.
void ReportConversionFailure(ConversionRun& run, const std::string& path,
                             const std::string& description);

// Deletes the file when DeleteSourceFiles asks for it; a failure is reported.
// With `converted`, the file is deleted only while it is still the one read.
void DeleteSourceFile(ConversionRun& run, const File& file,
                      const std::optional<FileIdentity>& converted = std::nullopt);

void ReportDeletionFailure(UserInteraction& user, const std::string& context,
                           const std::string& description);

// The run itself: converts every file of SourceFolder into OutputFolder, then
// each subfolder as ProcessSubfolders says, deleting emptied source subfolders
// when DeleteSourceSubfolders says so.
void ConvertFiles(ConversionRun& run, const Folder& SourceFolder, const Folder& OutputFolder);

enum class UnreadableSubfolders { Fail, Skip };

// Counts the files whose names end in the three-character Extension (any case),
// or every file for "*", through all subfolders when IncludeSubfolders. Folders
// in `skip` are not entered, nor is any folder twice. A folder that cannot be
// read is thrown as a failure, except a subfolder under Skip, which is passed
// over (the walk reports it when it gets there).
std::int32_t CountFiles(FileSystem& fileSystem, const std::string& FolderPath,
                        std::string_view Extension, bool IncludeSubfolders,
                        const std::set<FolderId>& skip = {},
                        UnreadableSubfolders unreadable = UnreadableSubfolders::Fail);

}  // namespace ostrel
