#pragma once
// One conversion run: the options, the services and the counters that every
// level of the folder walk shares, and the routines of the run.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "ConversionOptions.h"
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
};

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
    // Told the full path of every JPG file written (or, in a dry run, planned).
    std::function<void(const std::string&)> OnWritten;

    // --- State of the run, kept by the routines below. ---

    // Full paths known to be taken, and for each family of names (a picture's
    // name without its serial number, in one folder) the lowest serial number
    // that may still be free: every lower one is known to be taken. This keeps
    // the search for a free name linear over a run however many pictures share
    // one name, with the same result as trying 1, 2, 3, ... in turn.
    std::unordered_set<std::string> TakenPaths;
    std::unordered_map<std::string, std::int32_t> FirstUntriedSerial;

    // Folders the walk has entered, and folders the run writes into or made;
    // neither is ever entered again, so every tree ends.
    std::set<FolderId> Entered;
    std::set<FolderId> Outputs;
    std::uint64_t PlannedFolders = 0;
};

// The last three characters of a name (the whole name when shorter), in upper case.
std::string UpperTail(std::string_view name);

// The PMP-file test: the last three characters of the name (the whole name
// when shorter), in upper case, are "PMP".
bool IsPictureFile(std::string_view name);

// Converts one PMP file into a new JPG file of the output folder. Returns false
// when it could not; the problem has then been reported, counted, and any
// partial JPG file removed.
bool ConvertPictureFile(ConversionRun& run, const File& file, const Folder& SourceFolder,
                        const Folder& OutputFolder);

// Deletes the file when DeleteSourceFiles asks for it; a failure is reported.
void DeleteSourceFile(ConversionRun& run, const File& file);

void ReportDeletionFailure(UserInteraction& user, const std::string& context,
                           const std::string& description);

// The run itself: converts every file of SourceFolder into OutputFolder, then
// each subfolder as ProcessSubfolders says, deleting emptied source subfolders
// when DeleteSourceSubfolders says so.
void ConvertFiles(ConversionRun& run, const Folder& SourceFolder, const Folder& OutputFolder);

// Counts the files whose names end in the three-character Extension (any case),
// or every file for "*", through all subfolders when IncludeSubfolders. Folders
// in `skip` are not entered, nor is any folder twice. Failures are thrown.
std::int32_t CountFiles(FileSystem& fileSystem, const std::string& FolderPath,
                        std::string_view Extension, bool IncludeSubfolders,
                        const std::set<FolderId>& skip = {});

}  // namespace ostrel
