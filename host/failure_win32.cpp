// Windows: the reason from GetLastError.
#include "host/failure.h"

#include <windows.h>

namespace tamsiro {

namespace {

FailureReason ReasonOf(DWORD code) {
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FailureReason::NoRoom;
    case ERROR_WRITE_PROTECT: return FailureReason::ReadOnly;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NO_MEDIA_IN_DRIVE: return FailureReason::DeviceGone;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return FailureReason::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FailureReason::Denied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FailureReason::Exists;
    case ERROR_CANT_ACCESS_FILE: return FailureReason::LinkOrSpecial;
    case ERROR_OPERATION_ABORTED: return FailureReason::Interrupted;
    default: return FailureReason::Io;
    }
}

}  // namespace

Failure SystemFailure(FileAction action, std::string path) {
    const DWORD code = ::GetLastError();
    return {action, ReasonOf(code), std::move(path), static_cast<int>(code)};
}

}  // namespace tamsiro
