#pragma once
// Keeping the seventeen characters out of file names that would break a name
// or its fields ("{", "=", "/", ":", ...).

#include <string>
#include <string_view>

#include "ConversionOptions.h"

namespace ostrel {

// Spells out (Translate) or drops (Remove) each of the seventeen characters.
// Every other character, bytes of multi-byte UTF-8 sequences included, is
// copied unchanged.
std::string TranslateCharacters(std::string_view sourceString, IllegalCharacters handling);

}  // namespace ostrel
