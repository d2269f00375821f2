#pragma once
// Text at the Windows API: the program's UTF-8 as the UTF-16 that the
// wide-character calls take, and back.

#include <string>
#include <string_view>

namespace ostrel {

std::wstring Utf16(std::string_view text);
std::string Utf8(std::wstring_view text);

}  // namespace ostrel
