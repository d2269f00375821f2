#pragma once
// Runs of the engine in its own words: a real temporary tree with folders S
// and O, the file system with switchable faults, a run configuration with the
// first run's options, and what the run tells, recorded as it tells it.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Doubles.h"
#include "RunConfig.h"
#include "TempTree.h"

namespace ostrel {

// How a problem reads in a failed expectation.
void PrintTo(const RunProblem& problem, std::ostream* out);

}  // namespace ostrel

namespace ostrel::test {

// What a run told, in the order it told it.
class RecordingObserver : public RunObserver {
public:
    void ProblemMet(const RunProblem& problem) override { Problems.push_back(problem); }
    void FileWritten(const std::string& path, std::int32_t serialNumber) override {
        Written.push_back(path);
        Serials.push_back(serialNumber);
    }
    void RunStopped(std::int32_t filesNotReached) override { NotReached = filesNotReached; }

    // Those written with a serial number above 1.
    int Serialized() const;

    std::vector<RunProblem> Problems;
    std::vector<std::string> Written;  // full paths, planned ones in a dry run
    std::vector<std::int32_t> Serials;
    std::optional<std::int32_t> NotReached;  // told at the end of a run that stopped
};

using Problems = std::vector<RunProblem>;

// A problem as the engine tells it: with the system's own words, or with a
// cause of the engine's own.
RunProblem SystemProblem(Action what, const fs::path& path, const std::string& description);
RunProblem Problem(Action what, const fs::path& path, Cause why, const std::string& detail = {});

class EngineFixture : public ::testing::Test {
protected:
    // Runs ConvertFiles over S into O with `config`.
    void Convert();

    // A PMP file below S with the standard payload.
    fs::path Picture(const std::string& relative, const Header& header = {}) {
        return tree.Write("S/" + relative, PmpFile(header, payload));
    }

    TempTree tree;
    fs::path source = tree.Folder("S");
    fs::path output = tree.Folder("O");
    FaultyFileSystem files;
    RecordingObserver events;
    RunConfig config;  // the options of a first run
    Bytes payload = EveryByte(1000);
};

// The name of a default Header with the first run's options, before what the
// folder and file names add.
inline const std::string DefaultName =
    "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}";

}  // namespace ostrel::test
