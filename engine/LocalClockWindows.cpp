// On Windows, mktime keeps the zone's rules once read.

#include "LocalClock.h"

namespace ostrel {

std::optional<std::chrono::system_clock::time_point> LocalClock::TimeOf(const DateTime& value) {
    return ByMktime(value);
}

}  // namespace ostrel
