#pragma once

#include <cstdio>

namespace tamsiro::cli {

// Whether the stream is attached to a terminal (a console on Windows),
// where a person can see a progress bar and answer questions.
bool IsTerminal(std::FILE* stream);

}  // namespace tamsiro::cli
