// POSIX body of MarkFileChange: an O_DIRECT write of one aligned sector on
// Linux; other hosts have no O_DIRECT and write nothing.
#include "host/change_marker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tamsiro {

#if defined(__linux__)
namespace {

constexpr std::size_t kSector = 512;

struct FreeAligned {
    void operator()(char* buffer) const { std::free(buffer); }
};

// The device stays open for the life of the process: a mark per file
// operation must not cost an open each.
class MarkDevice {
public:
    MarkDevice() {
        const char* setting = std::getenv("TAMSIRO_MARK_DEVICE");
        if (!setting) return;
        const std::string text(setting);
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos) return;
        offset_ = std::strtoll(text.c_str() + colon + 1, nullptr, 10);
        void* buffer = nullptr;
        if (offset_ < 0 || offset_ % kSector != 0 || ::posix_memalign(&buffer, 4096, kSector) != 0) return;
        buffer_.reset(static_cast<char*>(buffer));
        fd_ = ::open(text.substr(0, colon).c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
    }
    ~MarkDevice() {
        if (fd_ >= 0) ::close(fd_);
    }
    MarkDevice(const MarkDevice&) = delete;
    MarkDevice& operator=(const MarkDevice&) = delete;

    void Write(unsigned long number, const char* operation, const std::string& path) {
        if (fd_ < 0) return;
        std::memset(buffer_.get(), 0, kSector);
        std::snprintf(buffer_.get(), kSector, "TAMSIRO MARK %lu %s %s", number, operation, path.c_str());
        // A mark that cannot be written leaves the recording without it;
        // the file operation itself goes on.
        (void)::pwrite(fd_, buffer_.get(), kSector, offset_);
    }

private:
    int fd_ = -1;
    off_t offset_ = 0;
    std::unique_ptr<char, FreeAligned> buffer_;
};

}  // namespace

void MarkFileChange(unsigned long number, const char* operation, const std::string& path) {
    static MarkDevice device;
    device.Write(number, operation, path);
}
#else
void MarkFileChange(unsigned long, const char*, const std::string&) {}
#endif

}  // namespace tamsiro
