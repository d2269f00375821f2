#pragma once
// The terminal as each system gives it to ostrel-convert.

#include <cstdio>
#include <string>
#include <vector>

namespace ostrel::cli {

// Readies the standard streams for the program's UTF-8 text and returns the
// arguments after the program's name, as UTF-8.
std::vector<std::string> PrepareConsole(int argc, char* argv[]);

// True when the stream is a terminal, where a progress bar can be drawn.
bool IsTerminal(std::FILE* stream);

}  // namespace ostrel::cli
