// Folder listings on POSIX hosts (Linux, macOS).
#include "host/folder_listing.h"

#include "host/file_system.h"

#include <filesystem>
#include <system_error>

namespace tamsiro {

std::optional<std::vector<std::string>> ListFileNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string("/") : folder, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        // The entry itself, never what a link at its name points to.
        std::error_code typeError;
        const bool regular = entries->symlink_status(typeError).type() == std::filesystem::file_type::regular;
        if (typeError) return std::nullopt;
        if (regular) names.push_back(entries->path().filename().string());
    }
    if (error) return std::nullopt;
    return names;
}

bool FolderProvablyAbsent(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const std::string parent = FolderOf(trimmed);
    const std::string name = trimmed.substr(parent.size());
    if (parent.empty() || name.empty()) return false;
    std::error_code error;
    std::filesystem::directory_iterator entries(parent, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        if (EqualIgnoringAsciiCase(entries->path().filename().string(), name)) return false;
    }
    return !error;
}

}  // namespace tamsiro
