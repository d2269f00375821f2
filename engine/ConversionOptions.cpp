#include "ConversionOptions.h"

#include <cstdlib>

namespace ostrel {

std::string DefaultFolder() {
#ifdef _WIN32
    return "C:\\";
#else
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) : std::string("/");
#endif
}

}  // namespace ostrel
