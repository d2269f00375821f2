#pragma once
// What the user sees of a run as it goes: each problem in a message box (in a
// terminal, on standard error), each JPG file on the progress bar and to
// whoever asked for its path; and the numbers that the summary then tells.
// When the user ticks "Report further problems at the end" in a problem's
// box, the run's later problems are held back for ShowHeldProblems.

#include <functional>
#include <string>
#include <vector>

#include "RunCounters.h"
#include "RunObserver.h"
#include "UserInteraction.h"

namespace ostrel {

class RunReport final : public RunObserver {
public:
    // `onWritten`, when set, is told the full path of every JPG file.
    RunReport(UserInteraction& user, RunCounters& counters,
              std::function<void(const std::string&)> onWritten)
        : user_(user), counters_(counters), onWritten_(std::move(onWritten)) {}

    void ProblemMet(const RunProblem& problem) override;
    void FileWritten(const std::string& path, std::int32_t serialNumber) override;
    void RunStopped(std::int32_t filesNotReached) override;

    // Once the run has ended: the problems held back, in one box with their
    // list in its details; nothing when none was.
    void ShowHeldProblems();

private:
    UserInteraction& user_;
    RunCounters& counters_;
    std::function<void(const std::string&)> onWritten_;
    bool holding_ = false;
    std::vector<std::string> held_;
};

}  // namespace ostrel
