// macOS: F_NOCACHE keeps the reads of this descriptor out of the cache.
#include "app/device_reader.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace tamsiro {

std::intptr_t OpenPastCache(const std::string& path, bool& uncached) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    uncached = ::fcntl(fd, F_NOCACHE, 1) == 0;
    return fd;
}

std::int64_t ReadFromDevice(std::intptr_t handle, unsigned char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t read = ::read(static_cast<int>(handle), buffer, size);
        if (read >= 0 || errno != EINTR) return read;
    }
}

void CloseDeviceHandle(std::intptr_t handle) { ::close(static_cast<int>(handle)); }

}  // namespace tamsiro
