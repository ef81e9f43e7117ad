// Windows bodies of the host file operations, through the ANSI API.
#include "host/file_system.h"

#include "host/file_change_hook.h"

#include "host/handle_win32.h"

#include <windows.h>
// <windows.h> maps ReplaceFile to the Win32 ReplaceFileA; ours is another
// function, and the other files never see that macro.
#undef ReplaceFile

#include <array>

namespace tamsiro {

const bool kHostRunsBatchFiles = true;
const char kPathSeparator = '\\';

namespace {

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool Exists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool FlushFileAt(const std::string& path, Failure* failure) {
    WinHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid() && ::FlushFileBuffers(file.Get()) != 0) return true;
    return FailedWithSystem(failure, FileAction::Flush, path);
}

// A failure the crash seam injected, as if the host had said so.
bool Injected(Failure* failure, FileAction action, const std::string& path) {
    return Failed(failure, {action, FailureReason::Io, path, ERROR_IO_DEVICE});
}

}  // namespace

bool IsFolder(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

PathKind KindAt(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) ? PathKind::Special : PathKind::File;
}

std::optional<std::uint64_t> FileSizeAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode, bool durable, Failure* failure) {
    const bool targetExisted = Exists(to);
    if (!BeforeFileRead(from)) return Injected(failure, FileAction::Open, from);
    if (!BeforeFileChange()) return Injected(failure, FileAction::Create, to);
    Failure what;
    bool ok = ::CopyFileA(from.c_str(), to.c_str(), mode == CopyMode::FailIfExists ? TRUE : FALSE) != 0;
    if (!ok) what = SystemFailure(FileAction::Write, to);
    if (ok && durable) {
        ok = BeforeFileChange(FileOperation::Flush, to) && FlushFileAt(to, &what);
        if (!ok && what.path.empty()) what = {FileAction::Flush, FailureReason::Io, to, ERROR_IO_DEVICE};
    }
    // CopyFile is not trusted to clean up after itself: a failed copy must
    // not leave a fragment under the target's name. A target that was there
    // before a FailIfExists refusal is not ours to delete.
    if (!ok && !(mode == CopyMode::FailIfExists && targetExisted)) {
        if (BeforeFileChange(FileOperation::Delete, to)) ::DeleteFileA(to.c_str());
    }
    return ok || Failed(failure, std::move(what));
}

bool RenameFile(const std::string& from, const std::string& to, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Rename, from, to)) return Injected(failure, FileAction::Rename, from);
    // Without MOVEFILE_REPLACE_EXISTING it refuses an existing target, as
    // MoveFile does.
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) == 0) {
        return FailedWithSystem(failure, FileAction::Rename, from);
    }
    return FlushUnderNewName(to, failure);
}

bool ReplaceFile(const std::string& from, const std::string& to, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Replace, from, to)) return Injected(failure, FileAction::Rename, from);
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        return FailedWithSystem(failure, FileAction::Rename, from);
    }
    return FlushUnderNewName(to, failure);
}

bool FlushFile(const std::string& path, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Flush, path)) return Injected(failure, FileAction::Flush, path);
    return FlushFileAt(path, failure);
}

bool DeleteFileAt(const std::string& path, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Delete, path)) return Injected(failure, FileAction::Delete, path);
    if (::DeleteFileA(path.c_str()) == 0) return FailedWithSystem(failure, FileAction::Delete, path);
    return FlushFolder(FolderOf(path), failure);
}

bool MakeFolder(const std::string& path, Failure* failure) {
    if (IsFolder(path)) return true;
    if (!BeforeFileChange()) return Injected(failure, FileAction::MakeFolder, path);
    if (::CreateDirectoryA(path.c_str(), nullptr) != 0) return true;
    const Failure what = SystemFailure(FileAction::MakeFolder, path);
    return (what.systemCode == ERROR_ALREADY_EXISTS && IsFolder(path)) || Failed(failure, what);
}

bool FlushFolder(const std::string& folder, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Flush, folder)) return Injected(failure, FileAction::Flush, folder);
    // A folder opens only with backup semantics, and some file systems
    // refuse a writable folder handle: there the write-through rename has
    // already put the change on the device.
    WinHandle handle(::CreateFileA(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) {
        const Failure what = SystemFailure(FileAction::Flush, folder);
        return (what.systemCode == ERROR_ACCESS_DENIED && Exists(folder)) || Failed(failure, what);
    }
    return ::FlushFileBuffers(handle.Get()) != 0 || FailedWithSystem(failure, FileAction::Flush, folder);
}

std::optional<VolumeSpace> SpaceOf(const std::string& folder) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExA(folder.c_str(), &available, &total, nullptr) || total.QuadPart == 0) return std::nullopt;
    VolumeSpace space;
    space.freeBytes = available.QuadPart;
    std::array<char, MAX_PATH> root{};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (::GetVolumePathNameA(folder.c_str(), root.data(), static_cast<DWORD>(root.size())) &&
        ::GetDiskFreeSpaceA(root.data(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        space.allocationUnit = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
    }
    if (space.allocationUnit == 0) space.allocationUnit = 1;
    return space;
}

bool EnterFolder(const std::string& folder) { return ::SetCurrentDirectoryA(folder.c_str()) != 0; }

std::string FolderOf(const std::string& filePath) {
    for (std::size_t i = filePath.size(); i > 0; --i) {
        const char c = filePath[i - 1];
        if (c == '\\' || c == '/' || c == ':') return filePath.substr(0, i);
    }
    return {};
}

std::string MatchNameInFolder(const std::string&, std::string_view name) {
    // The Windows file systems already match names without regard to case.
    return std::string(name);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, '\0');  // the size it needs, terminator included
    }
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const FindHandle search(::FindFirstFileA(JoinPath(folder, "*").c_str(), &found));
    if (!search.Valid()) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (::FindNextFileA(search.Get(), &found));
    return names;
}

std::string NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAA found{};
    const FindHandle search(::FindFirstFileA(path.c_str(), &found));
    if (!search.Valid()) return path.substr(FolderOf(path).size());
    return found.cFileName;
}

}  // namespace tamsiro
