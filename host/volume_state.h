#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tamsiro {

// What the host knows of the volume a stick is on, for judging whether a
// change may go ahead, and for advice that names the host's own tools.

// Whether the volume holding `folder` is mounted read-only: a
// write-protected stick, or one the host turned read-only after it found its
// file system damaged (Linux's vfat does so at the first inconsistency).
// Nothing when the host cannot say.
[[nodiscard]] std::optional<bool> VolumeIsReadOnly(const std::string& folder);

// Whether `path` is on a FAT volume (FAT12, FAT16, FAT32; not exFAT).
[[nodiscard]] bool IsOnFatVolume(const std::string& path);

// On a FAT volume, the clusters its allocation table calls used against the
// clusters its files and folders account for. They differ after a cut
// inside a flush: clusters lost to no file (more in use) or claimed twice
// (fewer). Nothing where the host cannot count them (Windows), or on FAT32,
// whose free count the host may take from a stale information sector.
struct ClusterAccount {
    std::uint64_t inUse = 0;
    std::uint64_t accountedFor = 0;
    std::uint64_t clusterBytes = 0;
};
[[nodiscard]] std::optional<ClusterAccount> FatClusterAccount(const std::string& root);

// Where a volume is mounted, and from which device, where the host says
// (Linux, macOS): "/media/me/STICK" from "/dev/sdb1".
struct VolumeMount {
    std::string mountPoint;
    std::string device;
};
[[nodiscard]] std::optional<VolumeMount> MountOfVolume(const std::string& path);

enum class HostFamily { Windows, MacOS, Linux };
extern const HostFamily kHostFamily;

}  // namespace tamsiro
