#include "RunReport.h"

#include "Messages.h"

namespace ostrel {
namespace {

// The counter a problem adds to.
std::int32_t& CounterOf(RunCounters& counters, Action what) {
    switch (what) {
        case Action::ConvertFile:
            return counters.NumberOfFailedFiles;
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
    user_.ShowMessage(messages::ProblemText(problem), messages::ConvertTitle,
                      MessageKind::Information);
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

}  // namespace ostrel
