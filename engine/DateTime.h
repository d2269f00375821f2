#pragma once
// A calendar date and time of day, to the second, as the camera records them.

#include <compare>
#include <string>

namespace ostrel {

// Always normalised: every field in its range.
struct DateTime {
    int Year = 2000;
    int Month = 1;   // 1..12
    int Day = 1;     // 1..31
    int Hour = 0;    // 0..23
    int Minute = 0;  // 0..59
    int Second = 0;  // 0..59

    auto operator<=>(const DateTime&) const = default;
};

// "yyyy-mm-dd @hh-nn-ss", as in 1999-07-04 @14-05-09.
std::string FormatDateTime(const DateTime& value);

}  // namespace ostrel
