#include "host/removable_volumes.h"

#include <filesystem>
#include <system_error>

namespace tamsiro {

std::vector<std::string> CandidateVolumeRoots() {
    // Every mounted volume, the start-up disk included, shows up here.
    std::vector<std::string> roots;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/Volumes", error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) roots.push_back(it->path().string());
    }
    return roots;
}

}  // namespace tamsiro
