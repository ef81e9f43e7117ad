// Relative paths on hosts whose file systems may match names by case.
#include "host/relative_path.h"

#include "host/file_system.h"

namespace tamsiro {

std::string ResolveRelativePath(const std::string& root, std::string_view relativePath) {
    if (root.empty()) return {};
    std::string resolved = root;
    std::size_t start = 0;
    while (start <= relativePath.size()) {
        std::size_t end = relativePath.find('\\', start);
        if (end == std::string_view::npos) end = relativePath.size();
        const std::string_view component = relativePath.substr(start, end - start);
        if (!component.empty()) resolved = JoinPath(resolved, MatchNameInFolder(resolved, component));
        start = end + 1;
    }
    return resolved;
}

}  // namespace tamsiro
