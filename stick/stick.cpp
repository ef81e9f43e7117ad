#include "stick/stick.h"

#include "app/file_system.h"

namespace tamsiro {

std::string Stick::FolderOf(std::string_view stickPath) const {
    const std::string path = Path(stickPath);
    std::string folder = tamsiro::FolderOf(path);
    if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

}  // namespace tamsiro
