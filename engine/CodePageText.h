#pragma once
// Texts of 8-bit characters, as the camera's comments are, read in one of the
// Windows ANSI code pages and given as UTF-8.

#include <cstdint>
#include <span>
#include <string>

namespace ostrel {

// Western European: what comments were always read as, and still are by
// default on Linux.
inline constexpr unsigned Windows1252 = 1252;

// `bytes` as characters of `codePage` (874, 932, 936, 949, 950, 1250 to
// 1258), in UTF-8. The double-byte code pages (932, 936, 949, 950) read a lead
// byte together with the byte after it.
//
// What the code page gives no printable character for becomes U+FFFD: a byte
// or pair its table leaves out, a lead byte at the end, a control character.
// A pair whose second byte is an ASCII character gives U+FFFD for the lead
// byte alone, and that character stays. 1252 is the exception: it reads every
// byte as it always has (Windows' own table, with the five bytes it leaves
// out as the control characters of the same value), so that no name made
// before changes.
std::string DecodeCodePageText(std::span<const std::uint8_t> bytes, unsigned codePage);

}  // namespace ostrel
