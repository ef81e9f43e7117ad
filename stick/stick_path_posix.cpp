// Stick paths on hosts whose file systems may match names by case.
#include "stick/stick.h"

#include "app/file_system.h"

namespace tamsiro {

std::string Stick::Path(std::string_view stickPath) const {
    if (root_.empty()) return {};
    std::string resolved = root_;
    std::size_t start = 0;
    while (start <= stickPath.size()) {
        std::size_t end = stickPath.find('\\', start);
        if (end == std::string_view::npos) end = stickPath.size();
        const std::string_view component = stickPath.substr(start, end - start);
        if (!component.empty()) resolved = JoinPath(resolved, MatchNameInFolder(resolved, component));
        start = end + 1;
    }
    return resolved;
}

}  // namespace tamsiro
