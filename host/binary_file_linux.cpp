// Linux pieces of BinaryFile: sync_file_range starts the writing out.
#include "host/binary_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace tamsiro {

void StartStreamWriteBack(std::FILE* file) {
    const int fd = ::fileno(file);
    // The whole file: pages already on their way are left alone.
    if (fd >= 0) (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

// A Linux fsync sends a cache flush to the device itself.
int SyncDescriptorToDevice(int fd) { return ::fsync(fd); }

}  // namespace tamsiro
