#include "app/program_folder.h"

#include "app/file_system.h"

namespace tamsiro {

std::string ProgramFolderOf(const std::string& executablePath) {
    std::string folder = FolderOf(executablePath);
    if (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

}  // namespace tamsiro
