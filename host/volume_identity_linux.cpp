#include "host/volume_identity.h"

#include "host/descriptor_posix.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tamsiro {

namespace {

std::string Resolved(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return error ? std::string() : resolved.string();
}

// udev names each volume's link after its UUID, which for FAT is the serial.
std::optional<std::string> UuidLinkTo(const std::string& device) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-uuid", error)) {
        if (Resolved(entry.path().string()) == device) return entry.path().filename().string();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FatVolumeSerialOf(const std::string& path) {
    const std::string resolved = Resolved(path);
    if (resolved.empty()) return std::nullopt;
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    const std::optional<MountOfPath> mount = FindMountOf(text.str(), resolved);
    if (!mount || !IsFatFileSystem(mount->fileSystem)) return std::nullopt;
    const std::string device = Resolved(mount->device);
    if (device.empty()) return std::nullopt;
    if (auto uuid = UuidLinkTo(device)) return uuid;
    // Only the first sector, where the user may read the device (a block
    // device, which the stream for files refuses).
    const Descriptor fd(::open(device.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string sector(512, '\0');
    if (::pread(fd.Get(), sector.data(), sector.size(), 0) != static_cast<ssize_t>(sector.size())) return std::nullopt;
    return FatSerialOfBootSector(sector);
}

}  // namespace tamsiro
