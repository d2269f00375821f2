#pragma once
// What OK does: checks the folders, counts the PMP files, asks, runs the
// conversion with the busy pointer and the progress bar, and sums up.

#include <functional>
#include <string>

#include "FileSystem.h"
#include "RunConfig.h"
#include "RunCounters.h"
#include "UserInteraction.h"

namespace ostrel {

// The two folders as the user typed them; each is rewritten to the folder's
// full path as soon as it is found to exist.
struct RequestFolders {
    std::string SourcePath;
    std::string OutputPath;
};

struct RequestSettings {
    // The window asks before converting; the command line does not.
    bool Confirm = true;
    // The window shows the summary in a message box; the command line prints it.
    bool Summarise = true;
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

// `run` is what the run is asked to do, its options among it.
RequestOutcome RunConversionRequest(FileSystem& files, UserInteraction& user,
                                    RequestFolders& folders, const RunConfig& run,
                                    const RequestSettings& settings = {});

// ostrel-convert's exit status for the outcome: 0 when every PMP file was
// converted and nothing else went wrong, 1 when the run met a problem, 2 when
// the request was refused.
int ExitStatus(const RequestOutcome& outcome);

}  // namespace ostrel
