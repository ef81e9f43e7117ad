// The default program folder on POSIX hosts (Linux, macOS).
#include "host/program_folder.h"

#include "host/file_system.h"

#include <array>
#include <cstdlib>

#include <unistd.h>

namespace tamsiro {

namespace {

// Folders whose contents a package manager (or the system) owns.
bool IsSystemFolder(const std::string& folder) {
    static constexpr std::array<std::string_view, 6> kSystemRoots = {"/usr", "/bin", "/sbin", "/lib", "/opt", "/snap"};
    for (const std::string_view root : kSystemRoots) {
        if (folder == root || (folder.starts_with(root) && folder.size() > root.size() && folder[root.size()] == '/')) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string DefaultProgramFolderFor(const std::string& executablePath) {
    if (executablePath.empty()) return {};
    // An executable at the root has no folder of its own to write in.
    const std::string folder = ProgramFolderOf(executablePath);
    if (!folder.empty() && folder != "/" && !IsSystemFolder(folder) && ::access(folder.c_str(), W_OK) == 0)
        return folder;

    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return JoinPath(home, kHomeProgramFolderName);
}

}  // namespace tamsiro
