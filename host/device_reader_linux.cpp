// Linux: O_DIRECT reads go to the device. File systems without it (tmpfs,
// some FUSE ones) are read normally once their cached pages are dropped.
#include "host/device_reader.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace tamsiro {

namespace {

// Some file systems accept O_DIRECT at open and refuse it at the first read.
bool DirectReadsWork(int fd) {
    AlignedBuffer probe(AlignedBuffer::kAlignment);
    ssize_t read;
    do {
        read = ::pread(fd, probe.Data(), probe.Size(), 0);
    } while (read < 0 && errno == EINTR);
    return read >= 0;
}

}  // namespace

std::intptr_t OpenPastCache(const std::string& path) {
    const int direct = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
    if (direct >= 0 && DirectReadsWork(direct)) return direct;
    if (direct >= 0) ::close(direct);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

}  // namespace tamsiro
