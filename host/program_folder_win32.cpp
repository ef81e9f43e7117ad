// The running executable's path on Windows.
#include "host/program_folder.h"

#include <windows.h>

#include <array>

namespace tamsiro {

std::string RunningExecutablePath() {
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    // A full buffer means the path was cut short: refuse it rather than use
    // a folder that is not the program's.
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

// The executable's folder is the program folder on Windows, as it always
// has been: the program and its data files are kept together.
std::string DefaultProgramFolderFor(const std::string& executablePath) {
    return executablePath.empty() ? std::string() : ProgramFolderOf(executablePath);
}

}  // namespace tamsiro
