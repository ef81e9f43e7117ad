// POSIX pieces of BinaryFile: 64-bit positions and fsync.
#include "host/binary_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tamsiro {

int SeekStream(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin);
}

std::int64_t StreamPosition(std::FILE* file) { return static_cast<std::int64_t>(ftello(file)); }

std::FILE* OpenRegularFileForReading(const std::string& path) {
    // Non-blocking, so that a FIFO does not wait for a writer; the type is
    // then checked on what was opened, not on a name that may change.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int why = S_ISREG(info.st_mode) ? errno : EISDIR;  // a folder, FIFO or device: not a file
        ::close(fd);
        errno = why;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

std::FILE* CreateNewFileForWriting(const std::string& path) {
    // O_EXCL also refuses a link left at the name, dangling or not.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool SyncStreamToDevice(std::FILE* file) {
    const int fd = ::fileno(file);
    return fd >= 0 && SyncDescriptorToDevice(fd) == 0;
}

}  // namespace tamsiro
