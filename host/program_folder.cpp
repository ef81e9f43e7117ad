#include "host/program_folder.h"

#include "host/file_system.h"

namespace tamsiro {

std::string ProgramFolderOf(const std::string& executablePath) {
    std::string folder = FolderOf(executablePath);
    if (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

std::string DefaultProgramFolder() { return DefaultProgramFolderFor(RunningExecutablePath()); }

}  // namespace tamsiro
