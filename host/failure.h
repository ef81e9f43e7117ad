#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// Why a file operation failed, as the operating system said it: the one
// failure vocabulary of every layer. host/ fills it in from errno or
// GetLastError; the layers above carry it up unchanged, adding only what
// they found themselves (content that is not what it should be); the
// commands choose the words.
enum class FailureReason {
    NoRoom,         // the volume is full (ENOSPC, ERROR_DISK_FULL)
    ReadOnly,       // write-protected or mounted read-only (EROFS, ERROR_WRITE_PROTECT)
    DeviceGone,     // the device went away (ENODEV, ENXIO, ERROR_DEVICE_REMOVED)
    NotFound,       // no such file or folder (ENOENT, ERROR_FILE_NOT_FOUND)
    Denied,         // not allowed (EACCES, EPERM, ERROR_ACCESS_DENIED, a sharing violation)
    Exists,         // something is at the target already (EEXIST)
    LinkOrSpecial,  // a link, FIFO, device or folder where a file should be
    Io,             // the device could not read or write (EIO, ERROR_CRC), or anything else
    Damaged,        // what was read back is not what it should be
    Interrupted,    // an interrupt stopped it
};

// What was being done.
enum class FileAction { Open, Create, Read, Write, Flush, Rename, Delete, MakeFolder, List, Check };

struct Failure {
    FileAction action = FileAction::Open;
    FailureReason reason = FailureReason::Io;
    std::string path;    // the host path it was done to
    int systemCode = 0;  // errno or GetLastError, for whoever needs more
};

// The failure the operating system just reported for `action` on `path`
// (from errno, or GetLastError on Windows): failure_posix.cpp, _win32.cpp.
Failure SystemFailure(FileAction action, std::string path);

// Fills `*failure`, where the caller asked for one, and returns false: the
// way every host function reports.
inline bool Failed(Failure* failure, Failure what) {
    if (failure) *failure = std::move(what);
    return false;
}
inline bool FailedWithSystem(Failure* failure, FileAction action, const std::string& path) {
    return Failed(failure, SystemFailure(action, path));
}

// Short words for a reason, for logs and tests; the commands choose their
// own for people.
std::string_view ReasonName(FailureReason reason);

}  // namespace tamsiro
