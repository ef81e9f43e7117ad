// The running executable's path on macOS.
#include "host/program_folder.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include <mach-o/dyld.h>

namespace tamsiro {

std::string RunningExecutablePath() {
    std::array<char, 4096> raw{};
    std::uint32_t size = raw.size();
    if (_NSGetExecutablePath(raw.data(), &size) != 0) return {};
    std::array<char, PATH_MAX> real{};
    return ::realpath(raw.data(), real.data()) ? std::string(real.data()) : std::string(raw.data());
}

}  // namespace tamsiro
