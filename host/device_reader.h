#pragma once

#include "host/failure.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tamsiro {

// Memory aligned for reads that bypass the cache. Its bytes start
// undefined. Kept and reused where reads repeat: fresh pages from the host
// cost a fault each.
class AlignedBuffer {
public:
    static constexpr std::size_t kAlignment = 4096;

    explicit AlignedBuffer(std::size_t size);
    unsigned char* Data() { return bytes_.get(); }
    std::size_t Size() const { return size_; }

private:
    struct Free {
        void operator()(unsigned char* bytes) const;
    };
    std::unique_ptr<unsigned char[], Free> bytes_;
    std::size_t size_;
};

// Reads a file as the device holds it rather than as the host's cache does,
// where the host allows: the check after a copy must see what really reached
// the stick. Every read but the last must be a whole number of
// AlignedBuffer::kAlignment bytes, as uncached reads need.
class DeviceReader {
public:
    DeviceReader() = default;
    ~DeviceReader();
    DeviceReader(const DeviceReader&) = delete;
    DeviceReader& operator=(const DeviceReader&) = delete;

    [[nodiscard]] bool Open(const std::string& path);

    // Reads the next `size` bytes into `into`, which must hold `size`
    // rounded up to whole blocks. False when the file ends first, when a read
    // fails, and when a read that is not whole blocks is not the file's last.
    [[nodiscard]] bool ReadExactly(AlignedBuffer& into, std::size_t size);

    // Why the last open or read that failed did.
    const Failure& LastFailure() const { return failure_; }

private:
    std::intptr_t handle_ = -1;
    std::string path_;
    Failure failure_;
};

// Host pieces of the reader (device_reader_linux.cpp, _macos.cpp, _posix.cpp,
// _win32.cpp).
// Opens `path` for reading past the cache where the host can, else for plain
// reading after asking the host to drop its cached pages; -1 on failure.
std::intptr_t OpenPastCache(const std::string& path);
// Bytes read into `buffer` (0 at the end), or -1.
std::int64_t ReadFromDevice(std::intptr_t handle, unsigned char* buffer, std::size_t size);
void CloseDeviceHandle(std::intptr_t handle);

}  // namespace tamsiro
