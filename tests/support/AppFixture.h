#pragma once
// Runs as the fronts make them: a real temporary tree with folders S and O,
// the file system with switchable faults, the options of a first run as the
// window stores them, and what the run reports shown to a recording user as
// the window shows it.

#include <gtest/gtest.h>

#include "Doubles.h"
#include "RunConfig.h"
#include "RunReport.h"
#include "StoredOptions.h"
#include "TempTree.h"

namespace ostrel::test {

class AppFixture : public ::testing::Test {
protected:
    AppFixture() {
        options.SourcePath = tree.Folder("S").string();
        options.OutputPath = tree.Folder("O").string();
    }

    // Runs ConvertFiles over the source folder into the output folder, as the
    // request does, with what it reports shown as the window shows it.
    void Convert(bool dryRun = false) {
        RunReport report(user, counters,
                         [this](const std::string& path) { written.push_back(path); });
        const RunConfig config{
            .Options = EngineOptions(options), .DryRun = dryRun, .Times = times, .Exif = exif};
        ConvertFiles(files, report, config, files.GetFolder(options.SourcePath),
                     files.GetFolder(options.OutputPath));
    }

    // A PMP file below S with the standard payload.
    fs::path Picture(const std::string& relative, const Header& header = {}) {
        return tree.Write("S/" + relative, PmpFile(header, payload));
    }

    TempTree tree;
    FaultyFileSystem files;
    RecordingUser user;
    StoredOptions options;
    RunCounters counters;
    FileTime times = FileTime::Recorded;
    ExifEncoder* exif = nullptr;
    std::vector<std::string> written;
    std::vector<std::uint8_t> payload = EveryByte(1000);
};

// The name of a default Header with the first-run options, before what the
// folder and file names add.
inline const std::string DefaultName =
    "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}";

// A report of a problem that the run steps past.
inline std::string Problem(const std::string& context, const std::string& path,
                           const std::string& description) {
    return context + " \"" + path + "\"\ndue to the following problem: " + description +
           ".\n\nRemainder of conversion will proceed normally.";
}

}  // namespace ostrel::test
