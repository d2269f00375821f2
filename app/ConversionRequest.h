#pragma once
// What OK does: checks the folders, counts the PMP files, asks, runs the
// conversion with the busy pointer and the progress bar, and sums up.

#include <functional>
#include <string>

#include "ConversionOptions.h"
#include "ConversionRun.h"
#include "FileSystem.h"
#include "UserInteraction.h"

namespace ostrel {

struct RequestSettings {
    // The window asks before converting; the command line does not.
    bool Confirm = true;
    // The window shows the summary in a message box; the command line prints it.
    bool Summarise = true;
    bool DryRun = false;
    // What the command line may change beyond the window's options: how the
    // JPG files are dated, and an Exif block in each.
    FileTime Times = FileTime::Recorded;
    ExifEncoder* Exif = nullptr;
    std::function<void(const std::string&)> OnWritten;
    // Receive each folder's full path as soon as it is found to exist.
    std::function<void(const std::string&)> ShowSourcePath;
    std::function<void(const std::string&)> ShowOutputPath;
};

struct RequestOutcome {
    enum class Status { Refused, Declined, Ran };
    Status Result = Status::Refused;
    std::int32_t FileCount = 0;
    RunCounters Counters;
};

// `options` is read as filled by the caller; its two folder texts are
// rewritten to the folders' full paths as they are found.
RequestOutcome RunConversionRequest(FileSystem& files, UserInteraction& user,
                                    ConversionOptions& options,
                                    const RequestSettings& settings = {});

}  // namespace ostrel
