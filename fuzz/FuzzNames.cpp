// libFuzzer target: a history header, stored options and names, all from the
// fuzzer, through ReadPictureHistory, EngineOptions and ComposeFileName.
// Whatever the bytes, nothing crashes, every text is valid UTF-8, and a JPG
// name holds no separator or NUL and ends in ".jpg".
//
// Input: 124 header bytes, one byte for each stored number (list, check box,
// mode; in the option table's order), two bytes of serial number, then the
// file name, the folder name and the device name, separated by NUL bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "ComposeFileName.h"
#include "PictureHistory.h"
#include "StoredOptions.h"
#include "TranslateCharacters.h"

namespace {

using namespace ostrel;

// One byte for each stored number, and two of serial number.
std::size_t OptionBytes() {
    std::size_t numbers = 0;
    for (const OptionField& field : OptionTable()) {
        numbers += field.Kind == OptionKind::Text ? 0 : 1;
    }
    return numbers + 2;
}

void Require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// The next NUL-ended piece of `rest`.
std::string_view Take(std::string_view& rest) {
    const std::size_t end = rest.find('\0');
    const std::string_view piece = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return piece;
}

// Every stored number as the fuzzer gives it, in or out of its range: the
// engine's options come from whatever a settings store may hold.
ConversionOptions OptionsFrom(std::span<const std::uint8_t> bytes, std::string_view deviceName) {
    StoredOptions stored;
    std::size_t next = 0;
    for (const OptionField& field : OptionTable()) {
        if (field.Kind == OptionKind::List) {
            field.SetNumber(stored, static_cast<std::int8_t>(bytes[next++]));
        } else if (field.Kind != OptionKind::Text) {
            field.SetNumber(stored, bytes[next++]);
        }
    }
    // The request refuses a device name with a separator or a control
    // character before any name is made, so the fuzzer gives none.
    stored.DeviceName.clear();
    for (const char c : deviceName) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '/' &&
            static_cast<unsigned char>(c) < 0x80) {
            stored.DeviceName.push_back(c);
        }
    }
    return EngineOptions(stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::size_t optionBytes = OptionBytes();
    if (size < HeaderSize + optionBytes) {
        return 0;
    }
    const std::span<const std::uint8_t, HeaderSize> header(data, HeaderSize);
    const std::span<const std::uint8_t> options(data + HeaderSize, optionBytes);
    std::string_view rest(reinterpret_cast<const char*>(data) + HeaderSize + optionBytes,
                          size - HeaderSize - optionBytes);
    const std::string_view fileName = Take(rest);
    const std::string_view folderName = Take(rest);
    const ConversionOptions engineOptions = OptionsFrom(options, Take(rest));

    const PictureHistory history =
        ReadPictureHistory(header, fileName, folderName, engineOptions.CommentCodePage);
    Require(IsValidUtf8(history.Comment));
    Require(history.AlbumNumber >= -1 && history.ShotNumber >= -1);

    const std::string translated =
        TranslateCharacters(history.Comment, IllegalCharacters::Translate);
    Require(TranslateCharacters(translated, IllegalCharacters::Translate) == translated);

    NameParts parts = ComposeNameParts(history, engineOptions);
    const std::int32_t serial =
        1 + (options[optionBytes - 2] | options[optionBytes - 1] << 8) % 32767;
    for (const std::int32_t n : {1, 2, serial}) {
        const std::string name = ComposeFileName(parts, n);
        Require(IsValidUtf8(name));
        Require(name.find('/') == std::string::npos && name.find('\0') == std::string::npos);
        Require(name.ends_with(".jpg"));
    }
    // A comment shortened for a long name is cut between characters only.
    while (ShortenComment(parts)) {
        Require(IsValidUtf8(ComposeFileName(parts, 1)));
    }
    return 0;
}
