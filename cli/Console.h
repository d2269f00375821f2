#pragma once
// The terminal as each system gives it to ostrel-convert.

#include <cstdio>
#include <string>
#include <vector>

namespace ostrel::cli {

// Readies the standard streams for the program's UTF-8 text and returns the
// arguments after the program's name, as UTF-8.
std::vector<std::string> PrepareConsole(int argc, char* argv[]);

// Text for people to read (help, the version) with the system's line ends:
// CRLF on Windows, where a file or a pipe that holds it is read that way.
std::string SystemLineEnds(const std::string& text);

// True when the stream is a terminal, where a progress bar can be drawn.
bool IsTerminal(std::FILE* stream);

// Catches the signals that ask a run to stop: Ctrl-C, and where the system has
// them SIGTERM and SIGHUP. The first only sets the flag that StopSignal
// reads; a second ends the program at once, as that signal would have. A
// write to a closed pipe then fails with EPIPE instead of ending the program.
void CatchStopSignals();

// The first stop signal caught, or 0.
int StopSignal();

}  // namespace ostrel::cli
