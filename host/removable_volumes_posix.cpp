#include "host/removable_volumes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tamsiro {

namespace {

// The folders below `parent`, skipping what cannot be read.
void AddSubfolders(const std::string& parent, std::vector<std::string>& roots) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        const std::string path = it->path().string();
        if (std::find(roots.begin(), roots.end(), path) == roots.end()) roots.push_back(path);
    }
}

}  // namespace

std::vector<std::string> CandidateVolumeRoots() {
    std::vector<std::string> parents;
    // Desktop automounters (udisks) mount per user; older ones and people
    // mounting by hand use the bare folders.
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') {
        parents.push_back(std::string("/media/") + user);
        parents.push_back(std::string("/run/media/") + user);
    }
    parents.push_back("/media");
    parents.push_back("/mnt");

    std::vector<std::string> roots;
    for (const std::string& parent : parents) AddSubfolders(parent, roots);
    return roots;
}

}  // namespace tamsiro
