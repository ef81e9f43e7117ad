#include "host/terminal.h"

#include <unistd.h>

namespace tamsiro::cli {

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

}  // namespace tamsiro::cli
