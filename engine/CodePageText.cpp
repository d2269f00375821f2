#include "CodePageText.h"

#include <array>

#include "CodePage.h"

namespace ostrel {
namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

char32_t Windows1252Character(std::uint8_t byte) {
    // 0x80..0x9F; the five bytes Windows-1252 leaves undefined keep their own value.
    static constexpr std::array<char16_t, 32> High = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    return byte >= 0x80 && byte <= 0x9F ? High[byte - 0x80] : byte;
}

// The first bytes of the two-byte characters of the double-byte code pages.
bool IsLeadByte(unsigned codePage, std::uint8_t byte) {
    switch (codePage) {
        case 932:  // Japanese (Shift JIS)
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:  // Simplified Chinese (GBK)
        case 949:  // Korean (Unified Hangul Code)
        case 950:  // Traditional Chinese (Big5)
            return byte >= 0x81 && byte <= 0xFE;
        default:
            return false;
    }
}

// Control characters and the private use area, where the systems' tables put
// bytes they leave out (and disagree), never stand in a name.
bool IsPrintable(char32_t code) {
    return code >= 0x20 && !(code >= 0x7F && code <= 0x9F) && !(code >= 0xE000 && code <= 0xF8FF);
}

char32_t Printable(std::optional<char32_t> code) {
    return code && IsPrintable(*code) ? *code : Replacement;
}

}  // namespace

std::string DecodeCodePageText(std::span<const std::uint8_t> bytes, unsigned codePage) {
    std::string text;
    if (codePage == Windows1252) {
        for (const std::uint8_t byte : bytes) {
            AppendUtf8(text, Windows1252Character(byte));
        }
        return text;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t byte = bytes[i];
        if (byte < 0x80) {  // ASCII in every ANSI code page
            AppendUtf8(text, IsPrintable(byte) ? byte : Replacement);
            ++i;
        } else if (!IsLeadByte(codePage, byte)) {
            AppendUtf8(text, Printable(DecodeCharacter(codePage, bytes.subspan(i, 1))));
            ++i;
        } else if (i + 1 == bytes.size()) {
            AppendUtf8(text, Replacement);  // its second byte is missing
            ++i;
        } else {
            const std::optional<char32_t> pair = DecodeCharacter(codePage, bytes.subspan(i, 2));
            AppendUtf8(text, Printable(pair));
            // A second byte that is an ASCII character is not lost with the
            // lead byte that stood before it.
            i += pair || bytes[i + 1] >= 0x80 ? 2 : 1;
        }
    }
    return text;
}

}  // namespace ostrel
