#include "RunReport.h"

#include "Messages.h"

namespace ostrel {
namespace {

// The counter a problem adds to.
std::int32_t& CounterOf(RunCounters& counters, Action what) {
    switch (what) {
        case Action::ConvertFile:
            return counters.NumberOfFailedFiles;
        case Action::ReachFile:
            return counters.NumberOfFilesGone;
        case Action::ConvertFolder:
            return counters.NumberOfLeftFiles;
        case Action::ReadFolder:
        case Action::CreateFolder:
            return counters.NumberOfSkippedFolders;
        case Action::DeleteFile:
        case Action::DeleteSubfolder:
        case Action::DeleteFilesBelowLink:
            return counters.NumberOfFailedDeletions;
        case Action::AddExif:
            break;
    }
    return counters.NumberOfFilesWithoutExif;
}

}  // namespace

void RunReport::ProblemMet(const RunProblem& problem) {
    // A folder the run writes into counts the PMP files left in it.
    CounterOf(counters_, problem.What) +=
        problem.What == Action::ConvertFolder ? problem.Because.FilesLeft : 1;
    // The pictures below an output folder that could not be made are not converted.
    if (problem.What == Action::CreateFolder) {
        counters_.NumberOfFailedFiles += problem.Because.FilesLeft;
    }
    if (holding_) {
        held_.push_back(messages::ProblemLines(problem));
        return;
    }
    MessageExtras extras{messages::ReportAtEnd, false, {}};
    user_.ShowWithExtras(messages::ProblemText(problem), messages::ConvertTitle,
                         MessageKind::Warning, extras);
    holding_ = extras.Checked;
}

void RunReport::ShowHeldProblems() {
    if (held_.empty()) {
        return;
    }
    MessageExtras extras;
    for (const std::string& lines : held_) {
        extras.Details += (extras.Details.empty() ? "" : "\n\n") + lines;
    }
    user_.ShowWithExtras(messages::HeldProblems(held_.size()), messages::ConvertTitle,
                         MessageKind::Warning, extras);
    held_.clear();
}

void RunReport::FileWritten(const std::string& path, std::int32_t serialNumber) {
    if (serialNumber > 1) {
        ++counters_.NumberOfSerializedFiles;
    }
    ++counters_.SourceObjectNumber;
    if (onWritten_) {
        onWritten_(path);
    }
    user_.SetProgressPosition(counters_.SourceObjectNumber);
}

void RunReport::RunStopped(std::int32_t filesNotReached) {
    counters_.Stopped = true;
    counters_.NumberOfFilesNotReached = filesNotReached;
}

}  // namespace ostrel
