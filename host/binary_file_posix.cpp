// POSIX pieces of BinaryFile: 64-bit positions and fsync.
#include "host/binary_file.h"

#include <sys/types.h>
#include <unistd.h>

namespace tamsiro {

int SeekStream(std::FILE* file, std::int64_t offset, int origin) { return fseeko(file, static_cast<off_t>(offset), origin); }

std::int64_t StreamPosition(std::FILE* file) { return static_cast<std::int64_t>(ftello(file)); }

bool SyncStreamToDevice(std::FILE* file) {
    const int fd = ::fileno(file);
    return fd >= 0 && ::fsync(fd) == 0;
}

}  // namespace tamsiro
