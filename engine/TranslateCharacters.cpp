#include <algorithm>
#include <array>
#include <utility>

#include "TranslateCharacters.h"

namespace ostrel {
namespace {

constexpr std::array<std::pair<char, std::string_view>, 17> Translations = {{
    {'@', "[At Sign]"},
    {'#', "[Pound Sign]"},
    {'.', "[Period]"},
    {'~', "[Tilde]"},
    {'{', "[Left Curly Bracket]"},
    {'}', "[Right Curly Bracket]"},
    {'=', "[Equals Sign]"},
    {';', "[Semicolon]"},
    {'\\', "[Backslash]"},
    {'/', "[Forward Slash]"},
    {':', "[Colon]"},
    {'*', "[Asterisk]"},
    {'?', "[Question Mark]"},
    {'<', "[Smaller Than]"},
    {'>', "[Greater Than]"},
    {'|', "[Pipe Symbol]"},
    {'"', "[Quote]"},
}};

}  // namespace

std::string TranslateCharacters(std::string_view sourceString, IllegalCharacters handling) {
    std::string result;
    result.reserve(sourceString.size());
    for (const char c : sourceString) {
        const auto* row = std::find_if(Translations.begin(), Translations.end(),
                                       [c](const auto& entry) { return entry.first == c; });
        if (row == Translations.end()) {
            result.push_back(c);
        } else if (handling == IllegalCharacters::Translate) {
            result.append(row->second);
        }
    }
    return result;
}

}  // namespace ostrel
