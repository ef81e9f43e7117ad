// POSIX lock (Linux, macOS).
#include "host/host_lock.h"
#include "host/descriptor_posix.h"
#include "host/file_system.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamsiro {

void HostLock::Release() {
    if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
}

bool HostLock::Take(const std::string& path, bool create) {
    Release();
    // A read-only descriptor is enough for flock, so a stick's own file can
    // be locked without being changed.
    Descriptor fd(create ? ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)
                         : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return false;
    handle_ = fd.Release();
    return true;
}

}  // namespace tamsiro
