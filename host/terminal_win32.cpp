#include "host/terminal.h"

#include <windows.h>

#include <io.h>

namespace tamsiro::cli {

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == INVALID_HANDLE_VALUE || !::GetConsoleScreenBufferInfo(handle, &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace tamsiro::cli
