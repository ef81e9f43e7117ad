// The running executable's path on Linux.
#include "host/program_folder.h"

#include <array>

#include <unistd.h>

namespace tamsiro {

std::string RunningExecutablePath() {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    // A path that fills the buffer may have been cut: refuse it.
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace tamsiro
