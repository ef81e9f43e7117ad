// macOS: F_NOCACHE keeps the reads of this descriptor out of the cache.
#include "host/device_reader.h"

#include <fcntl.h>

namespace tamsiro {

std::intptr_t OpenPastCache(const std::string& path, bool& whileWriting) {
    // F_NOCACHE still serves pages the cache holds: read only after the flush.
    whileWriting = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) (void)::fcntl(fd, F_NOCACHE, 1);
    return fd;
}

bool ReadsBackWhileWriting() { return false; }

}  // namespace tamsiro
