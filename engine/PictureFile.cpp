#include "PictureFile.h"

namespace ostrel {

std::string UpperTail(std::string_view name) {
    std::string tail(name.size() > 3 ? name.substr(name.size() - 3) : name);
    for (char& c : tail) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return tail;
}

bool IsPictureFile(std::string_view name) {
    return UpperTail(name) == "PMP";
}

}  // namespace ostrel
