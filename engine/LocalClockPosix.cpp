// On POSIX systems, mktime reads the zone's rules again at each call (one
// look at /etc/localtime a picture). The offset met last mostly gives the
// moment without it: whenever the moment it gives has that local time. In a
// fold of the clock that is the moment mktime gives too, as it also starts
// from the offset it met last; in a gap there is none, and mktime decides.

#include <ctime>

#include "LocalClock.h"

namespace ostrel {
namespace {

bool SameLocalTime(const std::tm& local, const DateTime& value) {
    return local.tm_year == value.Year - 1900 && local.tm_mon == value.Month - 1 &&
           local.tm_mday == value.Day && local.tm_hour == value.Hour &&
           local.tm_min == value.Minute && local.tm_sec == value.Second;
}

// The moment with that local time at `offset`, if that offset is the zone's
// then.
std::optional<std::time_t> AtOffset(const DateTime& value, long offset) {
    std::tm utc = CalendarParts(value);
    const std::time_t moment = ::timegm(&utc) - offset;
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr || !SameLocalTime(local, value)) {
        return std::nullopt;
    }
    return moment;
}

}  // namespace

std::optional<std::chrono::system_clock::time_point> LocalClock::TimeOf(const DateTime& value) {
    if (offset_) {
        if (const auto moment = AtOffset(value, *offset_)) {
            return std::chrono::system_clock::from_time_t(*moment);
        }
    }
    const auto time = ByMktime(value);
    if (time) {
        const std::time_t moment = std::chrono::system_clock::to_time_t(*time);
        std::tm local{};
        if (::localtime_r(&moment, &local) != nullptr) {
            offset_ = local.tm_gmtoff;
        }
    }
    return time;
}

}  // namespace ostrel
