#include <cstdio>

#include "FileName.h"

namespace ostrel {
namespace {

// The text of one component in each of the three formats.
struct Component {
    std::string_view Plain;  // format 0: written before the value
    std::string_view Short;  // format 1: tag name
    std::string_view Long;   // format 2: tag name
};

constexpr Component Recorded{"", "DT", "Date"};
constexpr Component Serial{" #", "SN", "Serial"};
constexpr Component Lens{" ", "LE", "Lens"};
constexpr Component FlashTag{" F", "FL", "Flash"};
constexpr Component Shutter{" ", "SP", "Speed"};
constexpr Component QualityTag{" ", "CP", "Compression"};
constexpr Component Revised{" ", "VT", "Version Date"};
constexpr Component Device{" ", "DV", "Device"};
constexpr Component Album{" PIC", "BA", "Batch"};
constexpr Component Shot{" PSN", "VO", "Volume"};
constexpr Component CommentTag{" ", "CO", "Comment"};

// "000": at least three digits, with leading zeros.
std::string Number(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", static_cast<int>(value));
    return text;
}

// A component's opening: the plain prefix, or "{" with the tag name and "=".
void Open(std::string& out, int format, const Component& component) {
    if (format == 0) {
        out.append(component.Plain);
        return;
    }
    out.push_back('{');
    out.append(format == 1 ? component.Short : component.Long);
    out.push_back('=');
}

void Close(std::string& out, int format) {
    if (format != 0) {
        out.push_back('}');
    }
}

void Append(std::string& out, int format, const Component& component, std::string_view value) {
    Open(out, format, component);
    out.append(value);
    Close(out, format);
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

NameParts ComposeNameParts(const PictureHistory& history, const ConversionOptions& options) {
    NameParts parts;
    const int f =
        options.JPGNameFormat >= 0 && options.JPGNameFormat <= 2 ? options.JPGNameFormat : 2;
    parts.Format = f;
    parts.SerialAlways = SerialNumberAlways(options);

    if (options.ExtractRecorded != 0) {
        Append(parts.RecordedPart, f, Recorded, FormatDateTime(history.RecordedDateTime));
    }

    std::string attributes;
    if (options.ExtractLensOrientation != 0) {
        Append(attributes, f, Lens, history.LensOrientation);
    }
    if (options.ExtractFlash != 0) {
        Append(attributes, f, FlashTag, history.Flash);
    }
    if (options.ExtractShutter != 0) {
        Append(attributes, f, Shutter, history.ShutterSpeed);
    }
    if (options.ExtractQuality != 0) {
        Append(attributes, f, QualityTag, history.Quality);
    }
    const std::string_view attributePart = Trim(attributes);

    std::string& detail = parts.DetailPart;
    if (options.ExtractEdited != 0 &&
        (RevisedAlways(options) || history.RevisedDateTime != history.RecordedDateTime)) {
        Append(detail, f, Revised, FormatDateTime(history.RevisedDateTime));
    }
    if (options.AddDeviceName != 0) {
        Open(detail, f, Device);
        detail.append(options.DeviceName);
        if (!attributePart.empty()) {
            if (f == 0) {
                detail.push_back(' ');
            }
            detail.append(attributePart);
        }
        Close(detail, f);
    }
    if (options.ExtractAlbumNumber != 0 && history.AlbumNumber >= 0) {
        Append(detail, f, Album, Number(history.AlbumNumber));
    }
    if (options.ExtractShotNumber != 0 && history.ShotNumber >= 0) {
        Append(detail, f, Shot, Number(history.ShotNumber));
    }
    if (options.ExtractComment != 0) {
        const std::string comment = TranslateCharacters(history.Comment, TranslateIllegal(options));
        if (!comment.empty()) {
            Append(detail, f, CommentTag, comment);
        }
    }
    return parts;
}

std::string ComposeFileName(const NameParts& parts, std::int32_t SerialNumber) {
    std::string name = parts.RecordedPart;
    if (parts.SerialAlways || SerialNumber > 1) {
        Append(name, parts.Format, Serial, Number(SerialNumber));
    }
    name.append(parts.DetailPart);
    std::string result(Trim(name));
    result.append(".jpg");
    return result;
}

std::string ComposeFileName(const PictureHistory& history, const ConversionOptions& options,
                            std::int32_t SerialNumber) {
    return ComposeFileName(ComposeNameParts(history, options), SerialNumber);
}

}  // namespace ostrel
