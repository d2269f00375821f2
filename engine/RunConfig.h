#pragma once
// What one conversion run is asked to do, and the one way to start it.

#include <functional>

#include "ConversionOptions.h"
#include "ExifEncoder.h"
#include "FileSystem.h"
#include "RunObserver.h"

namespace ostrel {

// How each JPG file is dated: by the picture's recorded date-time, which photo
// libraries then show when a file has no Exif data, or by its conversion.
enum class FileTime { Recorded, Now };

struct RunConfig {
    ConversionOptions Options;
    // A dry run plans every name as a real run would and changes nothing on disk.
    bool DryRun = false;
    FileTime Times = FileTime::Recorded;
    // With an encoder, each JPG file gets an Exif block of its history.
    ExifEncoder* Exif = nullptr;
    // Asked between pictures; once it says yes, the run takes no new picture,
    // makes the JPG files written so far durable, deletes the sources of those
    // pictures as the options say (and no other), and tells the observer how
    // many PMP files it did not reach. It may be called often, and must be
    // cheap: a flag set by a signal handler or a window's button.
    std::function<bool()> StopRequested = {};
};

// Converts every PMP file of the open folder `sourceFolder` into the open
// folder `outputFolder`, then each subfolder as the options say, deleting the
// converted sources and emptied source subfolders when they ask for it.
// Everything that happens is told to `observer`; every problem is stepped
// past.
void ConvertFiles(FileSystem& fileSystem, RunObserver& observer, const RunConfig& config,
                  const Folder& sourceFolder, const Folder& outputFolder);

}  // namespace ostrel
