// Linux pieces of the volume state: the mount from /proc/self/mountinfo.
#include "host/volume_state.h"
#include "host/file_system.h"
#include "host/volume_identity.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tamsiro {

const HostFamily kHostFamily = HostFamily::Linux;

namespace {

std::optional<MountOfPath> MountOf(const std::string& path) {
    std::error_code error;
    const std::string resolved = std::filesystem::canonical(path, error).string();
    if (error) return std::nullopt;
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return FindMountOf(text.str(), resolved);
}

}  // namespace

std::optional<VolumeMount> MountOfVolume(const std::string& path) {
    const std::optional<MountOfPath> mount = MountOf(path);
    if (!mount) return std::nullopt;
    return VolumeMount{mount->mountPoint, mount->device};
}

bool IsOnFatVolume(const std::string& path) {
    const std::optional<MountOfPath> mount = MountOf(path);
    return mount && IsFatFileSystem(mount->fileSystem) && !EqualIgnoringAsciiCase(mount->fileSystem, "exfat");
}

}  // namespace tamsiro
