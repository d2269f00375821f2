// libFuzzer target: a history header, options and names, all from the fuzzer,
// through ReadPictureHistory and ComposeFileName. Whatever the bytes, nothing
// crashes, every text is valid UTF-8, and a JPG name holds no separator or NUL
// and ends in ".jpg".
//
// Input: 124 header bytes, 12 option bytes, then the file name, the folder
// name and the device name, separated by NUL bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "ConversionOptions.h"
#include "FileName.h"
#include "PictureHistory.h"

namespace {

using namespace ostrel;

constexpr std::size_t OptionBytes = 12;

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

ConversionOptions OptionsFrom(std::span<const std::uint8_t, OptionBytes> bytes,
                              std::string_view deviceName) {
    ConversionOptions options;
    options.JPGNameFormat = static_cast<ListIndex>(static_cast<std::int8_t>(bytes[0]));
    CheckBox* boxes[] = {&options.ExtractRecorded,   &options.ExtractAlbumNumber,
                         &options.ExtractShotNumber, &options.ExtractLensOrientation,
                         &options.ExtractFlash,      &options.ExtractShutter,
                         &options.ExtractQuality,    &options.ExtractEdited,
                         &options.ExtractComment,    &options.AddDeviceName};
    const unsigned bits = bytes[1] | bytes[2] << 8;
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        *boxes[i] = static_cast<CheckBox>((bits >> i) & 1);
    }
    options.SerialNumberMode = bytes[3];
    options.ExtractEditedDifferent = bytes[4];
    options.IllegalCharacters = bytes[5];
    // The request refuses a device name with a separator or a control
    // character before any name is made, so the fuzzer gives none.
    options.DeviceName.clear();
    for (const char c : deviceName) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '/' &&
            static_cast<unsigned char>(c) < 0x80) {
            options.DeviceName.push_back(c);
        }
    }
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < HeaderSize + OptionBytes) {
        return 0;
    }
    const std::span<const std::uint8_t, HeaderSize> header(data, HeaderSize);
    const std::span<const std::uint8_t, OptionBytes> optionBytes(data + HeaderSize, OptionBytes);
    std::string_view rest(reinterpret_cast<const char*>(data) + HeaderSize + OptionBytes,
                          size - HeaderSize - OptionBytes);
    const std::string_view fileName = Take(rest);
    const std::string_view folderName = Take(rest);
    const ConversionOptions options = OptionsFrom(optionBytes, Take(rest));

    const PictureHistory history = ReadPictureHistory(header, fileName, folderName);
    Require(IsValidUtf8(history.Comment));
    Require(history.AlbumNumber >= -1 && history.ShotNumber >= -1);

    const std::string translated = TranslateCharacters(history.Comment, true);
    Require(TranslateCharacters(translated, true) == translated);

    const NameParts parts = ComposeNameParts(history, options);
    const std::int32_t serial = 1 + (optionBytes[6] | optionBytes[7] << 8) % 32767;
    for (const std::int32_t n : {1, 2, serial}) {
        const std::string name = ComposeFileName(parts, n);
        Require(IsValidUtf8(name));
        Require(name.find('/') == std::string::npos && name.find('\0') == std::string::npos);
        Require(name.ends_with(".jpg"));
    }
    return 0;
}
