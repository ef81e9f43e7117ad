// The default program folder on POSIX hosts (Linux, macOS).
#include "host/program_folder.h"

#include "host/file_system.h"

#include <cstdlib>

#include <unistd.h>

namespace tamsiro {

std::string DefaultProgramFolderFor(const std::string& executablePath) {
    if (executablePath.empty()) return {};
    std::string folder = ProgramFolderOf(executablePath);
    if (folder.empty()) folder = "/";
    if (::access(folder.c_str(), W_OK) == 0) return folder;

    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    std::string own = JoinPath(home, kHomeProgramFolderName);
    return MakeFolders(own) ? own : std::string();
}

}  // namespace tamsiro
