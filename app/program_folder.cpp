#include "app/program_folder.h"

#include "app/file_system.h"

#include <array>

#ifdef _WIN32
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#include <climits>
#include <cstdlib>
#else
#include <unistd.h>
#endif

namespace tamsiro {

std::string RunningExecutablePath() {
#ifdef _WIN32
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
#elif defined(__APPLE__)
    std::array<char, 4096> raw{};
    uint32_t size = raw.size();
    if (_NSGetExecutablePath(raw.data(), &size) != 0) return {};
    std::array<char, PATH_MAX> real{};
    return ::realpath(raw.data(), real.data()) ? std::string(real.data()) : std::string(raw.data());
#else
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
#endif
}

std::string ProgramFolderOf(const std::string& executablePath) {
    std::string folder = FolderOf(executablePath);
    if (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

}  // namespace tamsiro
