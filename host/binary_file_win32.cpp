// Windows pieces of BinaryFile: 64-bit positions and FlushFileBuffers.
#include "host/binary_file.h"

#include <io.h>
#include <windows.h>

namespace tamsiro {

int SeekStream(std::FILE* file, std::int64_t offset, int origin) { return _fseeki64(file, offset, origin); }

std::int64_t StreamPosition(std::FILE* file) { return _ftelli64(file); }

bool SyncStreamToDevice(std::FILE* file) {
    const intptr_t handle = ::_get_osfhandle(::_fileno(file));
    return handle != -1 && ::FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

// Windows writes out on its own schedule; FlushFileBuffers is what waits.
void StartStreamWriteBack(std::FILE*) {}

}  // namespace tamsiro
