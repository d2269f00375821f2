#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction is POSIX's, not C++'s
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

std::string SystemLineEnds(const std::string& text) {
    return text;
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

namespace {

// The one piece of state shared with a signal handler: the signal that asked
// the run to stop.
volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int number) {
    if (stopSignal != 0) {
        // Asked twice: end now, as the signal does by default. Every picture
        // is still unnamed until whole, so nothing partial is left under one.
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    stopSignal = number;
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // Calls under way go on: a write to standard output is not cut short.
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(number, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() {
    return stopSignal;
}

}  // namespace ostrel::cli
