#include "LocalClock.h"

#include <ctime>

namespace ostrel {

std::tm CalendarParts(const DateTime& value) {
    std::tm parts{};
    parts.tm_year = value.Year - 1900;
    parts.tm_mon = value.Month - 1;
    parts.tm_mday = value.Day;
    parts.tm_hour = value.Hour;
    parts.tm_min = value.Minute;
    parts.tm_sec = value.Second;
    return parts;
}

std::optional<std::chrono::system_clock::time_point> ByMktime(const DateTime& value) {
    std::tm parts = CalendarParts(value);
    parts.tm_isdst = -1;
    parts.tm_wday = -1;  // set only on success: -1 is also a time
    const std::time_t time = std::mktime(&parts);
    if (parts.tm_wday < 0) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(time);
}

}  // namespace ostrel
