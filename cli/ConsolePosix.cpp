#include <unistd.h>

#include <csignal>

#include "Console.h"

namespace ostrel::cli {

std::vector<std::string> PrepareConsole(int argc, char* argv[]) {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write instead
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

}  // namespace ostrel::cli
