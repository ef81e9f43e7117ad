#include "host/terminal.h"

#include <io.h>

namespace tamsiro::cli {

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

}  // namespace tamsiro::cli
