#include "host/device_reader.h"

#include "host/file_change_hook.h"

#include <new>

namespace tamsiro {

void AlignedBuffer::Free::operator()(unsigned char* bytes) const {
    ::operator delete[](bytes, std::align_val_t{kAlignment});
}

AlignedBuffer::AlignedBuffer(std::size_t size)
    : bytes_(static_cast<unsigned char*>(::operator new[](size, std::align_val_t{kAlignment}))), size_(size) {}

DeviceReader::~DeviceReader() {
    if (handle_ != -1) CloseDeviceHandle(handle_);
}

bool DeviceReader::Open(const std::string& path) {
    if (handle_ != -1) CloseDeviceHandle(handle_);
    handle_ = BeforeDeviceRead(path) ? OpenPastCache(path) : -1;
    return handle_ != -1;
}

bool DeviceReader::ReadExactly(AlignedBuffer& into, std::size_t size) {
    constexpr std::size_t kBlock = AlignedBuffer::kAlignment;
    // Uncached reads ask for whole blocks, and at the end of the file get
    // fewer bytes than asked; cached ones ask the same, so that both see a
    // file that goes on after a read that is not whole blocks.
    const std::size_t request = (size + kBlock - 1) / kBlock * kBlock;
    if (handle_ == -1 || request > into.Size()) return false;
    std::size_t got = 0;
    while (got < size) {
        const std::int64_t read = ReadFromDevice(handle_, into.Data() + got, request - got);
        if (read <= 0) return false;
        got += static_cast<std::size_t>(read);
    }
    return got == size;
}

}  // namespace tamsiro
