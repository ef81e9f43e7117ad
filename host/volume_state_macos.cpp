// macOS pieces of the volume state: the mount from statfs.
#include "host/volume_state.h"
#include "host/file_system.h"
#include "host/volume_identity.h"

#include <sys/mount.h>
#include <sys/param.h>

namespace tamsiro {

const HostFamily kHostFamily = HostFamily::MacOS;

std::optional<VolumeMount> MountOfVolume(const std::string& path) {
    struct statfs info {};
    if (::statfs(path.c_str(), &info) != 0) return std::nullopt;
    return VolumeMount{info.f_mntonname, info.f_mntfromname};
}

bool IsOnFatVolume(const std::string& path) {
    struct statfs info {};
    return ::statfs(path.c_str(), &info) == 0 && IsFatFileSystem(info.f_fstypename) &&
           !EqualIgnoringAsciiCase(info.f_fstypename, "exfat");
}

}  // namespace tamsiro
