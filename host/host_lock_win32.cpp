// Windows lock.
#include "host/host_lock.h"
#include "host/file_system.h"

#include "host/handle_win32.h"

#include <windows.h>

namespace tamsiro {

void HostLock::Release() {
    if (handle_ == kNoHandle) return;
    ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle_)));
    handle_ = kNoHandle;
}

bool HostLock::Take(const std::string& path, bool create) {
    Release();
    // Others may still read and write the file (the stick's own marker);
    // only the lock on its first byte is exclusive.
    WinHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED at{};
    if (!file.Valid() || !::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        return false;
    }
    handle_ = static_cast<long long>(reinterpret_cast<INT_PTR>(file.Release()));
    return true;
}

}  // namespace tamsiro
