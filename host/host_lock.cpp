// The parts of the lock every host shares; taking and releasing it are the
// host's (host_lock_posix.cpp, host_lock_win32.cpp).
#include "host/host_lock.h"

namespace tamsiro {

HostLock::HostLock(HostLock&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoHandle; }

HostLock& HostLock::operator=(HostLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        other.handle_ = kNoHandle;
    }
    return *this;
}

HostLock::~HostLock() { Release(); }

}  // namespace tamsiro
