// Relative paths on Windows, whose file systems ignore case already.
#include "host/relative_path.h"

#include "host/file_system.h"

#include <windows.h>

#include <array>

namespace tamsiro {

std::string ResolveRelativePath(const std::string& root, std::string_view relativePath) {
    if (root.empty()) return {};
    const std::string joined = JoinPath(root, relativePath);
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = ::GetFullPathNameA(joined.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    // Paths that do not fit the program's 260-byte buffers are refused.
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

}  // namespace tamsiro
