// Windows: an unbuffered handle reads from the device. Where the volume
// refuses one, the handle is a plain one and the read may come from the cache,
// after FlushFileBuffers has sent everything to the device.
#include "host/device_reader.h"

#include <windows.h>

namespace tamsiro {

namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

HANDLE OpenForReading(const std::string& path, DWORD flags) {
    return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
}

bool UnbufferedReadsWork(HANDLE file) {
    AlignedBuffer probe(AlignedBuffer::kAlignment);
    DWORD read = 0;
    OVERLAPPED start{};
    return ::ReadFile(file, probe.Data(), static_cast<DWORD>(probe.Size()), &read, &start) != 0;
}

}  // namespace

std::intptr_t OpenPastCache(const std::string& path) {
    HANDLE file = OpenForReading(path, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN);
    if (file != INVALID_HANDLE_VALUE && UnbufferedReadsWork(file) &&
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        return reinterpret_cast<std::intptr_t>(file);
    }
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    file = OpenForReading(path, FILE_FLAG_SEQUENTIAL_SCAN);
    return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(file);
}

std::int64_t ReadFromDevice(std::intptr_t handle, unsigned char* buffer, std::size_t size) {
    DWORD read = 0;
    if (!::ReadFile(AsHandle(handle), buffer, static_cast<DWORD>(size), &read, nullptr)) return -1;
    return read;
}

void CloseDeviceHandle(std::intptr_t handle) { ::CloseHandle(AsHandle(handle)); }

}  // namespace tamsiro
