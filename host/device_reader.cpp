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
    path_ = path;
    if (!BeforeDeviceRead(path)) {
        failure_ = {FileAction::Open, FailureReason::Io, path, 0};
        return false;
    }
    handle_ = OpenPastCache(path);
    if (handle_ == -1) failure_ = SystemFailure(FileAction::Open, path);
    return handle_ != -1;
}

bool DeviceReader::ReadExactly(AlignedBuffer& into, std::size_t size) {
    constexpr std::size_t kBlock = AlignedBuffer::kAlignment;
    // Uncached reads ask for whole blocks, and at the end of the file get
    // fewer bytes than asked; cached ones ask the same, so that both see a
    // file that goes on after a read that is not whole blocks.
    const std::size_t request = (size + kBlock - 1) / kBlock * kBlock;
    if (handle_ == -1 || request > into.Size()) {
        failure_ = {FileAction::Read, FailureReason::Io, path_, 0};
        return false;
    }
    std::size_t got = 0;
    while (got < size) {
        const std::int64_t read = ReadFromDevice(handle_, into.Data() + got, request - got);
        if (read < 0) {
            failure_ = SystemFailure(FileAction::Read, path_);
            return false;
        }
        // The file ended before the size its folder gives.
        if (read == 0) {
            failure_ = {FileAction::Read, FailureReason::Damaged, path_, 0};
            return false;
        }
        got += static_cast<std::size_t>(read);
    }
    if (got == size) return true;
    failure_ = {FileAction::Read, FailureReason::Damaged, path_, 0};
    return false;
}

}  // namespace tamsiro
