#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tamsiro {

// The serial number of the FAT volume that holds `path` ("1234-ABCD", as
// the host shows it), or nothing: a folder on any other file system (a copy
// of a stick on a hard disk) has no serial a stick could be known by.
// Reads only; on Linux the boot sector is read where the user may.
std::optional<std::string> FatVolumeSerialOf(const std::string& path);

// The parsers behind it, on bytes, so that tests need no device.

// The volume serial in a FAT boot sector: at 0x43 for FAT32 (its sectors
// per FAT at 0x16 is zero), else at 0x27; nothing without an extended boot
// signature (0x29) or the 0x55AA end mark.
std::optional<std::string> FatSerialOfBootSector(std::string_view sector);

struct MountOfPath {
    std::string mountPoint;
    std::string fileSystem;
    std::string device;
};
// The mount in a /proc/self/mountinfo text that holds `path` (an absolute,
// resolved path): the longest mount point it lies under, the last one
// mounted when two have the same point.
std::optional<MountOfPath> FindMountOf(std::string_view mountInfo, std::string_view path);

// Whether a file-system name the host reports is one of the FAT family.
bool IsFatFileSystem(std::string_view name);

}  // namespace tamsiro
