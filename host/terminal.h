#pragma once

#include <cstdio>

namespace tamsiro::cli {

// Whether the stream is attached to a terminal (a console on Windows),
// where a person can see a progress bar and answer questions.
bool IsTerminal(std::FILE* stream);

// The width of the terminal the stream is attached to, in columns; 0 when
// it is none or won't say.
int TerminalColumns(std::FILE* stream);

}  // namespace tamsiro::cli
