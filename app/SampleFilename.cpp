#include "SampleFilename.h"

namespace ostrel {

std::optional<std::string> SampleFilename(ListIndex format, const DateTime& now) {
    const std::string stamp = FormatDateTime(now);
    switch (format) {
        case 0:
            return stamp + " PIC001 PSN001 Forward FY 033ms Standard Paris.jpg";
        case 1:
            return "{DT=" + stamp +
                   "}{AL=001}{SH=001}\n{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}\n"
                   "{CO=Paris}.jpg";
        case 2:
            return "{Date=" + stamp +
                   "}{Album=001}\n{Shot=001}{Lens=Forward}{Flash=Y}{Speed=\n"
                   "033ms}{Compression=Standard}{Comment=Pa...";
        default:
            return std::nullopt;
    }
}

}  // namespace ostrel
