// How a stick's FAT volume is known: the boot sector's serial and the mount
// that holds a path, parsed from bytes.
#include "host/volume_identity.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tamsiro {
namespace {

// A boot sector as mkfs.fat writes it, for FAT16 (sectors per FAT set) or
// FAT32 (zero there, the serial further on).
std::string BootSector(bool fat32, unsigned char signature = 0x29, bool endMark = true) {
    std::string sector(512, '\0');
    sector[0x16] = fat32 ? 0 : 0x20;
    const std::size_t at = fat32 ? 0x42 : 0x26;
    sector[at] = static_cast<char>(signature);
    const unsigned char serial[] = {0xEF, 0xCD, 0x34, 0x12};  // 1234-CDEF, little-endian
    for (std::size_t i = 0; i < 4; ++i) sector[at + 1 + i] = static_cast<char>(serial[i]);
    if (endMark) {
        sector[510] = static_cast<char>(0x55);
        sector[511] = static_cast<char>(0xAA);
    }
    return sector;
}

TEST(VolumeIdentity, SerialFromTheBootSector) {
    const struct {
        const char* what;
        std::string sector;
        std::optional<std::string> serial;
    } cases[] = {
        {"FAT16", BootSector(false), "1234-CDEF"},
        {"FAT32", BootSector(true), "1234-CDEF"},
        {"no extended boot signature", BootSector(false, 0x28), std::nullopt},
        {"no end mark", BootSector(true, 0x29, false), std::nullopt},
        {"cut short", BootSector(false).substr(0, 100), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FatSerialOfBootSector(c.sector), c.serial);
    }
}

TEST(VolumeIdentity, TheMountHoldingAPath) {
    const std::string mountInfo =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "40 22 8:17 / /media/ann/USB rw,nosuid shared:20 - vfat /dev/sdb1 rw,uid=1000\n"
        "41 22 8:33 / /media/ann/USB\\040STICK rw,nosuid shared:21 - vfat /dev/sdc1 rw\n"
        "42 22 8:49 / /media/ann/USB2 rw,nosuid - exfat /dev/sdd1 rw\n"
        "43 40 0:50 / /media/ann/USB rw - vfat /dev/sde1 rw\n"
        "broken line\n";
    const struct {
        const char* path;
        std::string device;
        std::string fileSystem;
    } cases[] = {
        {"/home/ann/copy", "/dev/sda2", "ext4"},
        {"/media/ann/USB", "/dev/sde1", "vfat"},  // mounted over the first
        {"/media/ann/USB/OPEN-R", "/dev/sde1", "vfat"},
        {"/media/ann/USB STICK/OPEN-R", "/dev/sdc1", "vfat"},
        {"/media/ann/USB2", "/dev/sdd1", "exfat"},  // not under /media/ann/USB
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto mount = FindMountOf(mountInfo, c.path);
        ASSERT_TRUE(mount.has_value());
        EXPECT_EQ(mount->device, c.device);
        EXPECT_EQ(mount->fileSystem, c.fileSystem);
    }
    EXPECT_FALSE(FindMountOf("", "/media").has_value());
}

}  // namespace
}  // namespace tamsiro
