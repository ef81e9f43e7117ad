#include "stick/stick_locator.h"

#include "host/file_system.h"
#include "host/removable_volumes.h"
#include "stick/stick_files.h"

#include <filesystem>
#include <system_error>

namespace tamsiro {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == kPathSeparator)) return folder + name;
    return folder + kPathSeparator + name;
}

bool HoldsStick(const std::string& root) {
    std::error_code error;
    const std::string openR = Join(root, MatchNameInFolder(root, stick_files::kSoftwareFolder));
    return std::filesystem::is_directory(openR, error) && FileExists(Join(root, MatchNameInFolder(root, stick_files::kMarker)));
}

}  // namespace

std::optional<std::string> FindStickRoot(const std::vector<std::string>& roots) {
    std::optional<std::string> found;
    for (const std::string& root : roots) {
        if (!HoldsStick(root)) continue;
        // Two sticks: which one is meant is the user's call.
        if (found) return std::nullopt;
        found = root;
    }
    return found;
}

std::optional<std::string> FindInsertedStick() { return FindStickRoot(CandidateVolumeRoots()); }

}  // namespace tamsiro
