#include "stick/stick_locator.h"

#include "host/file_system.h"
#include "stick/stick_files.h"

#include <algorithm>
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
    return std::filesystem::is_directory(openR, error) &&
           FileExists(Join(root, MatchNameInFolder(root, stick_files::kMarker)));
}

}  // namespace

std::vector<std::string> FindStickRoots(const std::vector<std::string>& roots) {
    std::vector<std::string> found;
    for (const std::string& root : roots) {
        if (HoldsStick(root)) found.push_back(root);
    }
    return found;
}

std::optional<std::string> ChooserStartFolder(const std::vector<std::string>& stickRoots) {
    namespace fs = std::filesystem;
    if (stickRoots.empty()) return std::nullopt;
    if (stickRoots.size() == 1) return stickRoots.front();
    const auto holds = [&stickRoots](const fs::path& folder) {
        return std::all_of(stickRoots.begin(), stickRoots.end(), [&folder](const std::string& root) {
            const fs::path relative = fs::path(root).lexically_relative(folder);
            return !relative.empty() && *relative.begin() != "..";
        });
    };
    // Sticks on separate drives share no folder: nothing to suggest.
    for (fs::path common = fs::path(stickRoots.front()).parent_path();; common = common.parent_path()) {
        if (holds(common)) return common.string();
        if (common == common.parent_path()) return std::nullopt;
    }
}

}  // namespace tamsiro
