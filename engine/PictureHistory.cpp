#include <algorithm>
#include <array>
#include <chrono>
#include <utility>
#include <vector>

#include "PictureHistory.h"

#include "CodePageText.h"

namespace ostrel {
namespace {

// Header offsets of the fields that are decoded.
constexpr std::size_t LensOffset = 27;
constexpr std::size_t QualityOffset = 29;
constexpr std::size_t CommentOffset = 52;
constexpr std::size_t CommentLength = 19;
constexpr std::size_t RecordedOffset = 76;
constexpr std::size_t RevisedOffset = 84;
constexpr std::size_t ShutterOffset = 102;
constexpr std::size_t FlashOffset = 118;

template <typename T>
Coded<T> Known(unsigned code, T value) {
    return Coded<T>{code, value};
}

Coded<Lens> LensOf(std::uint8_t code) {
    switch (code) {
        case 0:
            return Known(code, Lens::Forward);
        case 2:
            return Known(code, Lens::Reverse);
        default:
            return {code, std::nullopt};
    }
}

Coded<PictureQuality> QualityOf(std::uint8_t code) {
    switch (code) {
        case 8:
            return Known(code, PictureQuality::Snapshot);
        case 23:
            return Known(code, PictureQuality::Standard);
        case 51:
            return Known(code, PictureQuality::Fine);
        default:
            return {code, std::nullopt};
    }
}

Coded<bool> FlashOf(std::uint8_t code) {
    if (code > 1) {
        return {code, std::nullopt};
    }
    return Known(code, code == 1);
}

// The camera's shutter steps, by the highest code of each range, tested from
// the top; codes past 32767 have no meaning.
Coded<ExposureTime> ShutterSpeedOf(std::uint16_t code) {
    static constexpr std::pair<std::uint16_t, ExposureTime> Ranges[] = {
        {331, {2, 15}},  {432, {1, 15}},  {532, {1, 30}},  {622, {1, 60}},
        {715, {1, 100}}, {854, {1, 250}}, {954, {1, 500}}, {32767, {1, 1000}},
    };
    for (const auto& [highest, time] : Ranges) {
        if (code <= highest) {
            return Known(code, time);
        }
    }
    return {code, std::nullopt};
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiUpper(text[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Characters 4 to 8 (1-based) as a number, when they are exactly five ASCII digits.
std::int32_t FiveDigitsAt3(std::string_view name) {
    std::int32_t value = 0;
    for (std::size_t i = 3; i < 8; ++i) {
        if (!IsAsciiDigit(name[i])) {
            return -1;
        }
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

// The date-time that six header bytes (year code, month, day, hour, minute,
// second) stand for, with every out-of-range value carried over.
DateTime DecodeDateTime(std::uint8_t yearCode, std::uint8_t month, std::uint8_t day,
                        std::uint8_t hour, std::uint8_t minute, std::uint8_t second) {
    namespace chrono = std::chrono;
    const int year = yearCode < 50 ? 2000 + yearCode : 1900 + yearCode;
    // Move from 1 January by (month - 1) months, then by (day - 1) days; the
    // time of day carries into the following days.
    const chrono::year_month start =
        chrono::year{year} / chrono::January + chrono::months{month - 1};
    const chrono::sys_days date = chrono::sys_days{start / 1} + chrono::days{day - 1};
    const chrono::sys_seconds moment =
        date + chrono::hours{hour} + chrono::minutes{minute} + chrono::seconds{second};
    const chrono::sys_days midnight = chrono::floor<chrono::days>(moment);
    const chrono::year_month_day calendar{midnight};
    const chrono::hh_mm_ss time{moment - midnight};
    return DateTime{static_cast<int>(calendar.year()),
                    static_cast<int>(static_cast<unsigned>(calendar.month())),
                    static_cast<int>(static_cast<unsigned>(calendar.day())),
                    static_cast<int>(time.hours().count()),
                    static_cast<int>(time.minutes().count()),
                    static_cast<int>(time.seconds().count())};
}

// The album number of a PICxxxxx folder name and the shot number of a
// PSNxxxxx.PMP file name.
std::int32_t AlbumNumberOf(std::string_view folderName) {
    if (folderName.size() != 8 || !StartsWithIgnoringCase(folderName, "PIC0")) {
        return -1;
    }
    return FiveDigitsAt3(folderName);
}

std::int32_t ShotNumberOf(std::string_view fileName) {
    if (fileName.size() != 12 || !StartsWithIgnoringCase(fileName, "PSN0") ||
        !StartsWithIgnoringCase(fileName.substr(8), ".PMP")) {
        return -1;
    }
    return FiveDigitsAt3(fileName);
}

std::string DecodeComment(std::span<const std::uint8_t, HeaderSize> header, unsigned codePage) {
    std::vector<std::uint8_t> kept;
    for (std::size_t i = CommentOffset; i < CommentOffset + CommentLength; ++i) {
        if (header[i] >= 32) {
            kept.push_back(header[i]);
        }
    }
    // No trail byte of a double-byte code page is a blank, so the blanks are
    // taken off before the characters are read.
    const auto blank = [](std::uint8_t byte) { return byte == ' '; };
    const auto first = std::find_if_not(kept.begin(), kept.end(), blank);
    const auto last = std::find_if_not(kept.rbegin(), kept.rend(), blank).base();
    if (first >= last) {
        return {};
    }
    return DecodeCodePageText(std::span(first, last), codePage);
}

DateTime DecodeAt(std::span<const std::uint8_t, HeaderSize> header, std::size_t offset) {
    return DecodeDateTime(header[offset], header[offset + 1], header[offset + 2],
                          header[offset + 3], header[offset + 4], header[offset + 5]);
}

}  // namespace

PictureHistory ReadPictureHistory(std::span<const std::uint8_t, HeaderSize> header,
                                  std::string_view fileName, std::string_view folderName,
                                  unsigned codePage) {
    PictureHistory history;
    history.RecordedDateTime = DecodeAt(header, RecordedOffset);
    history.RevisedDateTime = DecodeAt(header, RevisedOffset);
    history.LensOrientation = LensOf(header[LensOffset]);
    history.Flash = FlashOf(header[FlashOffset]);
    history.ShutterSpeed = ShutterSpeedOf(
        static_cast<std::uint16_t>(header[ShutterOffset] << 8 | header[ShutterOffset + 1]));
    history.Quality = QualityOf(header[QualityOffset]);
    history.Comment = DecodeComment(header, codePage);
    history.AlbumNumber = AlbumNumberOf(folderName);
    history.ShotNumber = ShotNumberOf(fileName);
    return history;
}

}  // namespace ostrel
