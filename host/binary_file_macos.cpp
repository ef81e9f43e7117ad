// macOS pieces of BinaryFile: the host writes out on its own schedule; the
// flush (fsync) is what waits for the device.
#include "host/binary_file.h"

namespace tamsiro {

void StartStreamWriteBack(std::FILE*) {}

}  // namespace tamsiro
