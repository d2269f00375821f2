#include "CodePage.h"

#include <windows.h>

namespace ostrel {

unsigned SystemCodePage() {
    return ::GetACP();
}

std::optional<char32_t> DecodeCharacter(unsigned codePage, std::span<const std::uint8_t> bytes) {
    wchar_t out[2] = {};
    // MB_ERR_INVALID_CHARS: a pair the table does not hold fails, instead of
    // coming out as the code page's default character.
    const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                             reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<int>(bytes.size()), out, 2);
    if (length == 1) {
        return static_cast<char32_t>(out[0]);
    }
    if (length == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 &&
        out[1] <= 0xDFFF) {
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
    }
    return std::nullopt;
}

}  // namespace ostrel
