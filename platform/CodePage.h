#pragma once
// The system's own tables of the Windows code pages, in which the camera's
// comments are written: iconv's on Linux, MultiByteToWideChar's on Windows.

#include <cstdint>
#include <optional>
#include <span>

namespace ostrel {

// The code page that texts of 8-bit characters are in: the ANSI code page on
// Windows (GetACP); Windows-1252, Western European, elsewhere.
unsigned SystemCodePage();

// The one character that `bytes` (one byte, or a lead and a trail byte) stand
// for in Windows code page `codePage`; nothing when the system's table has
// none for them, they make more than one character, or the system does not
// know the code page.
std::optional<char32_t> DecodeCharacter(unsigned codePage, std::span<const std::uint8_t> bytes);

}  // namespace ostrel
