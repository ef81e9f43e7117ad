// Windows pieces of BinaryFile: 64-bit positions and FlushFileBuffers.
#include "host/binary_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tamsiro {

int SeekStream(std::FILE* file, std::int64_t offset, int origin) { return _fseeki64(file, offset, origin); }

std::int64_t StreamPosition(std::FILE* file) { return _ftelli64(file); }

std::FILE* OpenRegularFileForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    // Device names (CON, NUL, COM1, ...) and pipes open too; only a disk
    // file is a file.
    const intptr_t handle = ::_get_osfhandle(::_fileno(file));
    if (handle == -1 || ::GetFileType(reinterpret_cast<HANDLE>(handle)) != FILE_TYPE_DISK) {
        std::fclose(file);
        ::SetLastError(ERROR_CANT_ACCESS_FILE);  // not a file
        return nullptr;
    }
    return file;
}

std::FILE* CreateNewFileForWriting(const std::string& path) {
    // CREATE_NEW fails on anything at the name, a link or junction included.
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) ::_close(fd);
    return file;
}

bool SyncStreamToDevice(std::FILE* file) {
    const intptr_t handle = ::_get_osfhandle(::_fileno(file));
    return handle != -1 && ::FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

// Windows writes out on its own schedule; FlushFileBuffers is what waits.
void StartStreamWriteBack(std::FILE*) {}

}  // namespace tamsiro
