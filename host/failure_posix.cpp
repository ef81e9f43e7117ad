// POSIX: the reason from errno.
#include "host/failure.h"

#include <cerrno>

namespace tamsiro {

namespace {

FailureReason ReasonOf(int code) {
    switch (code) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FailureReason::NoRoom;
    case EROFS: return FailureReason::ReadOnly;
    case ENODEV:
    case ENXIO:
    case ESHUTDOWN:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return FailureReason::DeviceGone;
    case ENOENT:
    case ENOTDIR: return FailureReason::NotFound;
    case EACCES:
    case EPERM:
    case EBUSY: return FailureReason::Denied;
    case EEXIST:
    case ENOTEMPTY: return FailureReason::Exists;
    case ELOOP:
    case EISDIR: return FailureReason::LinkOrSpecial;
    case EINTR: return FailureReason::Interrupted;
    default: return FailureReason::Io;
    }
}

}  // namespace

Failure SystemFailure(FileAction action, std::string path) {
    const int code = errno;
    return {action, ReasonOf(code), std::move(path), code};
}

}  // namespace tamsiro
