// Linux pieces of the volume state: the mount from /proc/self/mountinfo.
#include "host/volume_state.h"
#include "host/volume_identity.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tamsiro {

const HostFamily kHostFamily = HostFamily::Linux;

std::optional<VolumeMount> MountOfVolume(const std::string& path) {
    std::error_code error;
    const std::string resolved = std::filesystem::canonical(path, error).string();
    if (error) return std::nullopt;
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    const std::optional<MountOfPath> mount = FindMountOf(text.str(), resolved);
    if (!mount) return std::nullopt;
    return VolumeMount{mount->mountPoint, mount->device};
}

}  // namespace tamsiro
