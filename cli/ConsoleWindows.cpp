#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <csignal>

#include "Console.h"
#include "Utf16.h"

namespace ostrel::cli {

std::vector<std::string> PrepareConsole(int, char*[]) {
    // The bytes written are the bytes meant, line ends included, as on other
    // systems: paths for other programs stay exact, and --print0 stays NUL-ended.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
    // The progress bar clears its line with an escape sequence.
    const HANDLE errors = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(errors, &mode)) {
        ::SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
    // The arguments as typed, whatever the code page: from the wide command line.
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Utf8(words[i]));
    }
    ::LocalFree(words);
    return arguments;
}

std::string SystemLineEnds(const std::string& text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n') {
            lines += '\r';
        }
        lines += c;
    }
    return lines;
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

namespace {

// The one piece of state shared with a signal handler: the signal that asked
// the run to stop.
volatile std::sig_atomic_t stopSignal = 0;

// The C runtime puts the default action back before it calls a handler, so a
// second Ctrl-C ends the program at once.
void OnStopSignal(int number) {
    stopSignal = number;
}

}  // namespace

void CatchStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

int StopSignal() {
    return stopSignal;
}

}  // namespace ostrel::cli
