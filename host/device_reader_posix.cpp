// POSIX pieces of the device reader (Linux, macOS): plain reads from the
// descriptor the host file opened.
#include "host/device_reader.h"

#include <cerrno>

#include <unistd.h>

namespace tamsiro {

std::int64_t ReadFromDevice(std::intptr_t handle, unsigned char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t read = ::read(static_cast<int>(handle), buffer, size);
        if (read >= 0 || errno != EINTR) return read;
    }
}

void CloseDeviceHandle(std::intptr_t handle) { ::close(static_cast<int>(handle)); }

}  // namespace tamsiro
