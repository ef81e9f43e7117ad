#include "app/file_system.h"

#include "app/binary_file.h"

namespace tamsiro {

bool FileExists(const std::string& path) {
    BinaryFile file;
    return file.Open(path, BinaryFile::Mode::Read);
}

void DiscardFile(const std::string& path) {
    (void)DeleteFileAt(path);
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string joined = folder;
    if (joined.empty() || joined.back() != kPathSeparator) joined += kPathSeparator;
    joined += name;
    return joined;
}

}  // namespace tamsiro
