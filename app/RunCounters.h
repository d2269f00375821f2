#pragma once
// What one run came to, in numbers, as its summary and exit status tell it.

#include <cstdint>

namespace ostrel {

struct RunCounters {
    std::int32_t SourceObjectNumber = 0;       // PMP files converted
    std::int32_t NumberOfSerializedFiles = 0;  // JPG files saved with a serial number above 1
    std::int32_t NumberOfFailedFiles = 0;      // PMP files that could not be converted
    std::int32_t NumberOfFilesGone = 0;        // PMP files counted, gone when the run came
    std::int32_t NumberOfFailedDeletions = 0;  // source files or subfolders not deleted
    std::int32_t NumberOfSkippedFolders = 0;   // folders that could not be read or created
    std::int32_t NumberOfLeftFiles = 0;        // PMP files in folders the run writes into
    // JPG files that could not take the Exif block asked for
    std::int32_t NumberOfFilesWithoutExif = 0;
    bool Stopped = false;                      // the run was asked to stop, and did
    std::int32_t NumberOfFilesNotReached = 0;  // PMP files the stopped run did not reach
};

// Every PMP file counted before the run was converted: none failed or was
// gone, none was left in a folder the run writes into, no folder was passed
// over, and the run was not stopped.
bool EveryFileConverted(const RunCounters& counters);

// That, and nothing else went wrong: every deletion asked for was made, and
// every picture took the Exif data asked for.
bool NothingWentWrong(const RunCounters& counters);

}  // namespace ostrel
