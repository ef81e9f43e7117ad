#include "app/stick_path.h"

#include "app/file_system.h"

namespace tamsiro {

std::string ResolveStickPath(std::string_view stickPath) {
#ifdef _WIN32
    return FullPathOf(std::string(stickPath));
#else
    std::string resolved = CurrentDirectory();
    if (resolved.empty()) return {};
    std::size_t start = 0;
    while (start <= stickPath.size()) {
        std::size_t end = stickPath.find('\\', start);
        if (end == std::string_view::npos) end = stickPath.size();
        const std::string_view component = stickPath.substr(start, end - start);
        if (!component.empty()) {
            const std::string name = MatchNameInFolder(resolved, component);
            if (resolved.back() != '/') resolved += '/';
            resolved += name;
        }
        start = end + 1;
    }
    return resolved;
#endif
}

}  // namespace tamsiro
