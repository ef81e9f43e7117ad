// macOS pieces of BinaryFile: the host writes out on its own schedule; the
// flush is what waits for the device. fsync there stops at the drive: only
// F_FULLFSYNC asks an external drive to empty its own cache.
#include "host/binary_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace tamsiro {

void StartStreamWriteBack(std::FILE*) {}

int SyncDescriptorToDevice(int fd) {
    // Some file systems and drives refuse it; fsync is then all there is.
    if (::fcntl(fd, F_FULLFSYNC) == 0) return 0;
    return ::fsync(fd);
}

}  // namespace tamsiro
