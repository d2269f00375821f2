#pragma once
// The machine's own clock, by which each JPG file is dated.

#include <chrono>
#include <ctime>
#include <optional>

#include "DateTime.h"

namespace ostrel {

class LocalClock {
public:
    // The date-time as a moment of this machine's clock. The camera kept no
    // time zone, so it is read as local time, and a time in a daylight-saving
    // gap or fold is taken as mktime takes it. Nothing when the system cannot
    // hold it.
    std::optional<std::chrono::system_clock::time_point> TimeOf(const DateTime& value);

private:
    // The zone's offset from UTC met last, in seconds east, where the system
    // tells it.
    std::optional<long> offset_;
};

// The date-time in the C library's parts, the rest of them zero.
std::tm CalendarParts(const DateTime& value);

// What mktime makes of the date-time as local time.
std::optional<std::chrono::system_clock::time_point> ByMktime(const DateTime& value);

}  // namespace ostrel
