#pragma once
// Inside the engine: one conversion run, its services and what it was asked
// to do, and the state that every level of the folder walk shares.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "LocalClock.h"
#include "RunConfig.h"

namespace ostrel {

struct ConversionRun {
    ConversionRun(FileSystem& fileSystem, RunObserver& observer, const RunConfig& config)
        : Files(fileSystem), Observer(observer), Config(config), Options(config.Options) {}

    FileSystem& Files;
    RunObserver& Observer;
    const RunConfig& Config;
    const ConversionOptions& Options;

    void Report(Action what, const std::string& path, Reason because) {
        Observer.ProblemMet(RunProblem{what, path, std::move(because)});
    }

    // True from the first time StopRequested says yes.
    bool Stopping() {
        if (!Stopped && Config.StopRequested && Config.StopRequested()) {
            Stopped = true;
        }
        return Stopped;
    }

    // --- State of the run, kept by the routines of the run. ---

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
    // The source folder's full path: a link that leads inside it is not
    // followed, as its target is converted under its own name.
    std::string SourceTop;
    bool Stopped = false;
    std::int32_t FilesNotReached = 0;
    // What dates the JPG files.
    LocalClock Clock;
};

}  // namespace ostrel
