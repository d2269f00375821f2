#pragma once
// The arguments of ostrel-convert.

#include <optional>
#include <string>
#include <vector>

#include "RunConfig.h"
#include "SettingsStore.h"
#include "StoredOptions.h"

namespace ostrel::cli {

struct CommandLine {
    // In the window's form, SOURCE and OUTPUT as its two folders, --exif as
    // WriteExifData.
    StoredOptions Options;
    bool DryRun = false;
    FileTime Times = FileTime::Recorded;
    bool Print = false;
    bool Print0 = false;  // each path ended by a NUL, for xargs -0
    bool Quiet = false;
};

// What parsing ended in: a command line to run, or an exit status with the text
// to print (help and version on standard output, errors on standard error).
struct Parsed {
    std::optional<CommandLine> Command;
    int ExitStatus = 0;
    std::string Output;
    std::string Error;
};

// What this build offers beyond the engine: --help lists only that, and the
// rest is refused by name.
struct Offers {
    bool Exif = false;  // --exif, built with Exiv2
};

// Options start from the first-run defaults, or, with --from-settings, from
// what the window stored in `store`; options given on the line override both.
// SOURCE and OUTPUT are both needed, except with --from-settings, which takes
// the stored folders when neither is given (and says so on standard error).
Parsed ParseCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                        Offers offers);

}  // namespace ostrel::cli
