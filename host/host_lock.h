#pragma once

#include <string>

namespace tamsiro {

// An exclusive lock the operating system holds on an open file for as long
// as the object lives (flock on POSIX, LockFileEx on Windows), so it never
// outlives a crashed process. Taking it never waits.
class HostLock {
public:
    HostLock() = default;
    HostLock(const HostLock&) = delete;
    HostLock& operator=(const HostLock&) = delete;
    HostLock(HostLock&& other) noexcept;
    HostLock& operator=(HostLock&& other) noexcept;
    ~HostLock();

    // Opens `path` (created when `create`, else it must exist) and locks it.
    // False when another process holds it, or the file cannot be opened.
    [[nodiscard]] bool Take(const std::string& path, bool create);

private:
    void Release();
    // A descriptor on POSIX, a HANDLE on Windows.
    static constexpr long long kNoHandle = -1;
    long long handle_ = kNoHandle;
};

}  // namespace tamsiro
