#include "host/volume_identity.h"

#include <sys/attr.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace tamsiro {

std::optional<std::string> FatVolumeSerialOf(const std::string& path) {
    struct statfs volume {};
    if (statfs(path.c_str(), &volume) != 0 || !IsFatFileSystem(volume.f_fstypename)) return std::nullopt;
    // The volume's UUID, which the msdos driver derives from the serial.
    struct attrlist request {};
    request.bitmapcount = ATTR_BIT_MAP_COUNT;
    request.volattr = ATTR_VOL_INFO | ATTR_VOL_UUID;
    struct {
        std::uint32_t length;
        uuid_t uuid;
    } __attribute__((packed)) reply{};
    if (getattrlist(volume.f_mntonname, &request, &reply, sizeof reply, 0) != 0) return std::nullopt;
    char text[37];
    const unsigned char* u = reply.uuid;
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", u[0], u[1],
                  u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9], u[10], u[11], u[12], u[13], u[14], u[15]);
    return std::string(text);
}

}  // namespace tamsiro
