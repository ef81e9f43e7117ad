// macOS: F_NOCACHE keeps the reads of this descriptor out of the cache.
#include "host/device_reader.h"

#include <fcntl.h>

namespace tamsiro {

std::intptr_t OpenPastCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) (void)::fcntl(fd, F_NOCACHE, 1);
    return fd;
}

}  // namespace tamsiro
