// Windows bodies of the host file operations, through the ANSI API.
#include "host/file_system.h"

#include "host/file_change_hook.h"

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

// A handle closed on every path out of its scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (Valid()) ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};

bool FlushFileAt(const std::string& path) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && ::FlushFileBuffers(file.Get()) != 0;
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

bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode, bool durable) {
    const bool targetExisted = Exists(to);
    if (!BeforeFileRead(from) || !BeforeFileChange()) return false;
    bool ok = ::CopyFileA(from.c_str(), to.c_str(), mode == CopyMode::FailIfExists ? TRUE : FALSE) != 0;
    if (ok && durable) ok = BeforeFileChange(FileOperation::Flush, to) && FlushFileAt(to);
    // CopyFile is not trusted to clean up after itself: a failed copy must
    // not leave a fragment under the target's name. A target that was there
    // before a FailIfExists refusal is not ours to delete.
    if (!ok && !(mode == CopyMode::FailIfExists && targetExisted)) {
        if (BeforeFileChange(FileOperation::Delete, to)) ::DeleteFileA(to.c_str());
    }
    return ok;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (!BeforeFileChange(FileOperation::Rename, from, to)) return false;
    // Without MOVEFILE_REPLACE_EXISTING it refuses an existing target, as
    // MoveFile does.
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0 && FlushUnderNewName(to);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    if (!BeforeFileChange(FileOperation::Replace, from, to)) return false;
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 &&
           FlushUnderNewName(to);
}

bool FlushFile(const std::string& path) { return BeforeFileChange(FileOperation::Flush, path) && FlushFileAt(path); }

bool DeleteFileAt(const std::string& path) {
    return BeforeFileChange(FileOperation::Delete, path) && ::DeleteFileA(path.c_str()) != 0 &&
           FlushFolder(FolderOf(path));
}

bool MakeFolder(const std::string& path) {
    if (IsFolder(path)) return true;
    if (!BeforeFileChange()) return false;
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0 ||
           (::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path));
}

bool FlushFolder(const std::string& folder) {
    if (!BeforeFileChange(FileOperation::Flush, folder)) return false;
    // A folder opens only with backup semantics, and some file systems
    // refuse a writable folder handle: there the write-through rename has
    // already put the change on the device.
    Handle handle(::CreateFileA(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) return ::GetLastError() == ERROR_ACCESS_DENIED && Exists(folder);
    return ::FlushFileBuffers(handle.Get()) != 0;
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
    const HANDLE search = ::FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::string NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path.substr(FolderOf(path).size());
    ::FindClose(search);
    return found.cFileName;
}

}  // namespace tamsiro
