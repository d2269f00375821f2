#pragma once
// A real temporary tree, the file system with switchable faults, a recording
// user and the options of a first run, for tests of whole conversion runs.

#include <gtest/gtest.h>

#include "ConversionRun.h"
#include "Doubles.h"
#include "TempTree.h"

namespace ostrel::test {

class EngineFixture : public ::testing::Test {
  protected:
    EngineFixture() {
        options.SourcePath = (tree / "S").string();
        options.OutputPath = (tree / "O").string();
        tree.Folder("S");
        tree.Folder("O");
    }

    // Runs ConvertFiles over S into O, as the request does.
    void Convert(bool dryRun = false) {
        ConversionRun run(files, user, options, counters);
        run.DryRun = dryRun;
        run.OnWritten = [this](const std::string& path) { written.push_back(path); };
        ConvertFiles(run, files.GetFolder(options.SourcePath), files.GetFolder(options.OutputPath));
    }

    // A PMP file in S (or below it) with a given header and the standard payload.
    fs::path Picture(const std::string& relative, const Header& header = {}) {
        return tree.Write("S/" + relative, PmpFile(header, payload));
    }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> prompts;
        for (const auto& message : user.Messages) {
            prompts.push_back(message.Prompt);
        }
        return prompts;
    }

    TempTree tree;
    FaultyFileSystem files;
    RecordingUser user;
    ConversionOptions options;
    RunCounters counters;
    std::vector<std::string> written;
    std::vector<std::uint8_t> payload = EveryByte(1000);
};

// The name of a picture with the default Header and options, without what the
// file and folder names add, and without ".jpg".
inline std::string DefaultName() {
    return "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}";
}

}  // namespace ostrel::test
