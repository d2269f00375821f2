#include "RunCounters.h"

namespace ostrel {

bool EveryFileConverted(const RunCounters& counters) {
    return counters.NumberOfFailedFiles == 0 && counters.NumberOfFilesGone == 0 &&
           counters.NumberOfLeftFiles == 0 && counters.NumberOfSkippedFolders == 0 &&
           !counters.Stopped;
}

bool NothingWentWrong(const RunCounters& counters) {
    return EveryFileConverted(counters) && counters.NumberOfFailedDeletions == 0 &&
           counters.NumberOfFilesWithoutExif == 0;
}

}  // namespace ostrel
