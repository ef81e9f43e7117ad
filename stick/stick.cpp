#include "stick/stick.h"

#include "host/file_system.h"
#include "host/relative_path.h"

namespace tamsiro {

std::string Stick::Path(std::string_view stickPath) const { return ResolveRelativePath(root_, stickPath); }

std::string Stick::FolderPath(std::string_view stickPath) const {
    const std::string path = Path(stickPath);
    std::string folder = tamsiro::FolderOf(path);
    if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

}  // namespace tamsiro
