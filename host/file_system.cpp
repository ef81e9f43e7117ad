#include "host/file_system.h"

#include "host/binary_file.h"
#include "host/text_bytes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tamsiro {

bool FileExists(const std::string& path) {
    BinaryFile file;
    return file.Open(path, BinaryFile::Mode::Read);
}

void DiscardFile(const std::string& path) { (void)DeleteFileAt(path); }

bool MakeFolders(const std::string& path, Failure* failure) {
    if (path.empty()) return Failed(failure, {FileAction::MakeFolder, FailureReason::NotFound, path});
    if (IsFolder(path)) return true;
    std::string parent = FolderOf(path);
    while (parent.size() > 1 && parent.back() == kPathSeparator) parent.pop_back();
    if (!parent.empty() && parent != path && !MakeFolders(parent, failure)) return false;
    if (!MakeFolder(path, failure)) return false;
    if (!parent.empty()) (void)FlushFolder(parent);
    return true;
}

bool FlushUnderNewName(const std::string& path, Failure* failure) {
    const std::string folder = FolderOf(path);
    Failure fileFailure;
    const bool fileFlushed = FlushFile(path, &fileFailure);
    if (!FlushFolder(folder.empty() ? std::string(".") : folder, failure)) return false;
    return fileFlushed || Failed(failure, std::move(fileFailure));
}

std::optional<std::string> FirstLinkBelow(const std::string& root, const std::string& path) {
    if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return std::nullopt;
    for (std::size_t end = root.size() + 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != kPathSeparator) continue;
        if (path[end - 1] == kPathSeparator) continue;
        const std::string prefix = path.substr(0, end);
        const PathKind kind = KindAt(prefix);
        if (kind == PathKind::Link) return prefix;
        if (kind == PathKind::Missing) return std::nullopt;
    }
    return std::nullopt;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string joined = folder;
    if (joined.empty() || joined.back() != kPathSeparator) joined += kPathSeparator;
    joined += name;
    return joined;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

void DiscardEmptyFolders(const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, error))) return;
    std::filesystem::directory_iterator entries(folder, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        std::error_code typeError;
        if (entries->symlink_status(typeError).type() == std::filesystem::file_type::directory) {
            DiscardEmptyFolders(entries->path().string());
        }
    }
    // Fails, harmlessly, while anything is left inside.
    std::filesystem::remove(folder, error);
}

}  // namespace tamsiro
