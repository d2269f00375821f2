#include <cstdio>

#include "ComposeFileName.h"

#include "TranslateCharacters.h"

namespace ostrel {
namespace {

// The text of one component in each of the three formats.
struct Component {
    std::string_view Plain;  // History Data 1.x: written before the value
    std::string_view Short;  // History Data 2.x, short attribute names: tag name
    std::string_view Long;   // History Data 2.x, long attribute names: tag name
};

constexpr Component Recorded{"", "DT", "Date"};
constexpr Component Serial{" #", "SN", "Serial"};
constexpr Component LensTag{" ", "LE", "Lens"};
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
void Open(std::string& out, NameFormat format, const Component& component) {
    if (format == NameFormat::HistoryData1) {
        out.append(component.Plain);
        return;
    }
    out.push_back('{');
    out.append(format == NameFormat::HistoryData2Short ? component.Short : component.Long);
    out.push_back('=');
}

void Close(std::string& out, NameFormat format) {
    if (format != NameFormat::HistoryData1) {
        out.push_back('}');
    }
}

void Append(std::string& out, NameFormat format, const Component& component,
            std::string_view value) {
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

// The camera's own word for a code it writes, or the code in decimal.
template <typename T, typename Word>
std::string CodeOrWord(const Coded<T>& coded, Word word) {
    return coded.Value ? std::string(word(*coded.Value)) : std::to_string(coded.Code);
}

}  // namespace

std::string LensText(const Coded<Lens>& lens) {
    return CodeOrWord(lens,
                      [](Lens value) { return value == Lens::Forward ? "Forward" : "Reverse"; });
}

std::string FlashText(const Coded<bool>& flash) {
    return CodeOrWord(flash, [](bool fired) { return fired ? "Y" : "N"; });
}

std::string ShutterSpeedText(const Coded<ExposureTime>& shutter) {
    return CodeOrWord(shutter, [](const ExposureTime& time) {
        // Rounded to whole milliseconds: 2/15 s is "133ms".
        const std::uint64_t ms =
            (std::uint64_t{time.Numerator} * 1000 + time.Denominator / 2) / time.Denominator;
        return Number(static_cast<std::int32_t>(ms)) + "ms";
    });
}

std::string QualityText(const Coded<PictureQuality>& quality) {
    return CodeOrWord(quality, [](PictureQuality value) {
        switch (value) {
            case PictureQuality::Fine:
                return "Fine";
            case PictureQuality::Standard:
                return "Standard";
            case PictureQuality::Snapshot:
                break;
        }
        return "Snapshot";
    });
}

NameParts ComposeNameParts(const PictureHistory& history, const ConversionOptions& options) {
    NameParts parts;
    const NameFormat f = options.Format;
    parts.Format = f;
    parts.Serial = options.Serial;
    const NameComponents& include = options.Include;

    if (include.Recorded) {
        Append(parts.RecordedPart, f, Recorded, FormatDateTime(history.RecordedDateTime));
    }

    std::string attributes;
    if (include.LensOrientation) {
        Append(attributes, f, LensTag, LensText(history.LensOrientation));
    }
    if (include.Flash) {
        Append(attributes, f, FlashTag, FlashText(history.Flash));
    }
    if (include.ShutterSpeed) {
        Append(attributes, f, Shutter, ShutterSpeedText(history.ShutterSpeed));
    }
    if (include.Quality) {
        Append(attributes, f, QualityTag, QualityText(history.Quality));
    }
    const std::string_view attributePart = Trim(attributes);

    std::string& detail = parts.DetailPart;
    if (include.Revised && (options.Revised == RevisedDate::Always ||
                            history.RevisedDateTime != history.RecordedDateTime)) {
        Append(detail, f, Revised, FormatDateTime(history.RevisedDateTime));
    }
    if (include.DeviceName) {
        Open(detail, f, Device);
        detail.append(options.DeviceName);
        if (!attributePart.empty()) {
            if (f == NameFormat::HistoryData1) {
                detail.push_back(' ');
            }
            detail.append(attributePart);
        }
        Close(detail, f);
    }
    if (include.AlbumNumber && history.AlbumNumber >= 0) {
        Append(detail, f, Album, Number(history.AlbumNumber));
    }
    if (include.ShotNumber && history.ShotNumber >= 0) {
        Append(detail, f, Shot, Number(history.ShotNumber));
    }
    if (include.Comment) {
        parts.Comment = TranslateCharacters(history.Comment, options.Illegal);
        parts.CommentBytes = parts.Comment.size();
    }
    return parts;
}

bool ShortenComment(NameParts& parts) {
    if (parts.Comment.empty() || !parts.WithComment) {
        return false;
    }
    if (parts.CommentBytes == 0) {
        parts.WithComment = false;
        return true;
    }
    // Back over a whole UTF-8 sequence: its continuation bytes are 10xxxxxx.
    do {
        --parts.CommentBytes;
    } while (parts.CommentBytes > 0 &&
             (static_cast<unsigned char>(parts.Comment[parts.CommentBytes]) & 0xC0) == 0x80);
    return true;
}

std::string ComposeFileName(const NameParts& parts, std::int32_t serialNumber) {
    std::string name = parts.RecordedPart;
    if (parts.Serial == SerialNumbers::Always || serialNumber > 1) {
        Append(name, parts.Format, Serial, Number(serialNumber));
    }
    name.append(parts.DetailPart);
    if (!parts.Comment.empty() && parts.WithComment) {
        std::string comment = parts.Comment.substr(0, parts.CommentBytes);
        if (parts.CommentBytes < parts.Comment.size()) {
            comment += "\xE2\x80\xA6";  // "…" in UTF-8
        }
        Append(name, parts.Format, CommentTag, comment);
    }
    std::string result(Trim(name));
    result.append(".jpg");
    return result;
}

}  // namespace ostrel
