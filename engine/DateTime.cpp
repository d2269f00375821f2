#include "DateTime.h"

#include <cstdio>

namespace ostrel {

std::string FormatDateTime(const DateTime& value) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d @%02d-%02d-%02d", value.Year, value.Month,
                  value.Day, value.Hour, value.Minute, value.Second);
    return text;
}

}  // namespace ostrel
