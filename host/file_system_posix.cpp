// POSIX bodies of the host file operations (Linux, macOS).
#include "host/file_system.h"

#include "host/binary_file.h"
#include "host/descriptor_posix.h"
#include "host/file_change_hook.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

namespace tamsiro {

const bool kHostRunsBatchFiles = false;
const char kPathSeparator = '/';

namespace {

// A failure the crash seam injected, as if the host had said EIO.
bool Injected(Failure* failure, FileAction action, const std::string& path) {
    return Failed(failure, {action, FailureReason::Io, path, EIO});
}

bool AnythingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

enum class KernelCopy { Copied, Unsupported, Failed };

#if defined(__linux__)
// Copies inside the kernel (copy_file_range), sparing the round trip of
// every byte through user space.
KernelCopy CopyInKernel(int sourceFd, int targetFd) {
    struct stat info {};
    if (::fstat(sourceFd, &info) != 0 || !S_ISREG(info.st_mode)) return KernelCopy::Unsupported;
    std::uint64_t copied = 0;
    for (;;) {
        if (!BeforeFileChange()) return KernelCopy::Failed;
        const ssize_t moved = ::copy_file_range(sourceFd, nullptr, targetFd, nullptr, std::size_t{1} << 24, 0);
        if (moved > 0) {
            copied += static_cast<std::uint64_t>(moved);
            continue;
        }
        if (moved == 0) {
            // The end of the source. Some kernels also report 0 for files
            // they cannot copy this way (and /proc files claim a size of 0),
            // so a 0 before any byte has moved falls back to the stream.
            return copied == 0 ? KernelCopy::Unsupported : KernelCopy::Copied;
        }
        if (errno == EINTR) continue;
        if (copied == 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                            errno == EPERM || errno == EBADF)) {
            return KernelCopy::Unsupported;
        }
        return KernelCopy::Failed;
    }
}
#else
KernelCopy CopyInKernel(int, int) { return KernelCopy::Unsupported; }
#endif

bool WriteAll(int fd, const char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (!BeforeFileChange()) return false;
        const ssize_t wrote = ::write(fd, bytes + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool StreamInto(int sourceFd, int targetFd) {
    const KernelCopy inKernel = CopyInKernel(sourceFd, targetFd);
    if (inKernel != KernelCopy::Unsupported) return inKernel == KernelCopy::Copied;
    constexpr std::size_t kChunk = 256 * 1024;
    const auto buffer = std::make_unique<char[]>(kChunk);
    for (;;) {
        const ssize_t got = ::read(sourceFd, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(targetFd, buffer.get(), static_cast<std::size_t>(got))) return false;
    }
}

}  // namespace

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

PathKind KindAt(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return PathKind::Missing;
    if (S_ISLNK(info.st_mode)) return PathKind::Link;
    if (S_ISDIR(info.st_mode)) return PathKind::Folder;
    return S_ISREG(info.st_mode) ? PathKind::File : PathKind::Special;
}

std::optional<std::uint64_t> FileSizeAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode, bool durable, Failure* failure) {
    if (!BeforeFileRead(from)) return Injected(failure, FileAction::Open, from);
    // Non-blocking: a FIFO must not make the copy wait for a writer.
    Descriptor source(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!source.Valid()) return FailedWithSystem(failure, FileAction::Open, from);
    struct stat info {};
    if (::fstat(source.Get(), &info) != 0) return FailedWithSystem(failure, FileAction::Open, from);
    if (!S_ISREG(info.st_mode)) return Failed(failure, {FileAction::Open, FailureReason::LinkOrSpecial, from});
    if (IsFolder(to)) return Failed(failure, {FileAction::Create, FailureReason::LinkOrSpecial, to});
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    flags |= (mode == CopyMode::FailIfExists) ? O_EXCL : O_TRUNC;
    if (!BeforeFileChange()) return Injected(failure, FileAction::Create, to);
    Descriptor target(::open(to.c_str(), flags, 0666));
    if (!target.Valid()) return FailedWithSystem(failure, FileAction::Create, to);
    Failure what{FileAction::Write, FailureReason::Io, to};
    bool ok = StreamInto(source.Get(), target.Get());
    if (!ok) what = SystemFailure(FileAction::Write, to);
    if (ok && durable) {
        ok = BeforeFileChange(FileOperation::Flush, to) && SyncDescriptorToDevice(target.Get()) == 0;
        if (!ok) what = SystemFailure(FileAction::Flush, to);
    }
    if (!target.Close() && ok) {
        ok = false;
        what = SystemFailure(FileAction::Write, to);
    }
    if (ok) return true;
    DiscardFile(to);
    return Failed(failure, std::move(what));
}

bool RenameFile(const std::string& from, const std::string& to, Failure* failure) {
    if (!BeforeFileChange(FileOperation::Rename, from, to)) return Injected(failure, FileAction::Rename, from);
#if defined(__linux__) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0) {
        return FlushUnderNewName(to, failure);
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return FailedWithSystem(failure, FileAction::Rename, from);
#endif
    // File systems without an atomic no-replace rename: check, then rename.
    if (AnythingAt(to)) return Failed(failure, {FileAction::Rename, FailureReason::Exists, to, EEXIST});
    if (std::rename(from.c_str(), to.c_str()) != 0) return FailedWithSystem(failure, FileAction::Rename, from);
    return FlushUnderNewName(to, failure);
}

bool ReplaceFile(const std::string& from, const std::string& to, Failure* failure) {
    if (IsFolder(to)) return Failed(failure, {FileAction::Rename, FailureReason::LinkOrSpecial, to});
    if (!AnythingAt(from)) return Failed(failure, {FileAction::Rename, FailureReason::NotFound, from, ENOENT});
    if (!BeforeFileChange(FileOperation::Replace, from, to)) return Injected(failure, FileAction::Rename, from);
    if (std::rename(from.c_str(), to.c_str()) != 0) return FailedWithSystem(failure, FileAction::Rename, from);
    return FlushUnderNewName(to, failure);
}

bool FlushFile(const std::string& path, Failure* failure) {
    // fsync needs no write access on the hosts this file serves.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) return FailedWithSystem(failure, FileAction::Flush, path);
    if (!BeforeFileChange(FileOperation::Flush, path)) return Injected(failure, FileAction::Flush, path);
    return SyncDescriptorToDevice(file.Get()) == 0 || FailedWithSystem(failure, FileAction::Flush, path);
}

bool DeleteFileAt(const std::string& path, Failure* failure) {
    if (IsFolder(path)) return Failed(failure, {FileAction::Delete, FailureReason::LinkOrSpecial, path});
    if (!BeforeFileChange(FileOperation::Delete, path)) return Injected(failure, FileAction::Delete, path);
    if (::unlink(path.c_str()) != 0) return FailedWithSystem(failure, FileAction::Delete, path);
    const std::string folder = FolderOf(path);
    return FlushFolder(folder.empty() ? std::string(".") : folder, failure);
}

bool MakeFolder(const std::string& path, Failure* failure) {
    if (IsFolder(path)) return true;
    if (!BeforeFileChange()) return Injected(failure, FileAction::MakeFolder, path);
    if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(path))) return true;
    return FailedWithSystem(failure, FileAction::MakeFolder, path);
}

bool FlushFolder(const std::string& folder, Failure* failure) {
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.Valid()) return FailedWithSystem(failure, FileAction::Flush, folder);
    if (!BeforeFileChange(FileOperation::Flush, folder)) return Injected(failure, FileAction::Flush, folder);
    // Some file systems cannot sync a directory; their renames are then as
    // durable as they get.
    if (SyncDescriptorToDevice(directory.Get()) == 0 || errno == EINVAL || errno == ENOTSUP) return true;
    return FailedWithSystem(failure, FileAction::Flush, folder);
}

std::optional<VolumeSpace> SpaceOf(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0 || info.f_blocks == 0) return std::nullopt;
    VolumeSpace space;
    space.allocationUnit = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (space.allocationUnit == 0) space.allocationUnit = 1;
    // Blocks an unprivileged writer may use; root may dip into the reserve,
    // but the stick should not need it.
    space.freeBytes = static_cast<std::uint64_t>(info.f_bavail) * space.allocationUnit;
    return space;
}

bool EnterFolder(const std::string& folder) { return IsFolder(folder) && ::access(folder.c_str(), X_OK) == 0; }

std::string FolderOf(const std::string& filePath) {
    const std::size_t slash = filePath.rfind('/');
    return slash == std::string::npos ? std::string() : filePath.substr(0, slash + 1);
}

std::string MatchNameInFolder(const std::string& folder, std::string_view name) {
    if (AnythingAt(JoinPath(folder, name))) return std::string(name);

    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string("/") : folder, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        std::string candidate = entries->path().filename().string();
        if (EqualIgnoringAsciiCase(candidate, name)) return candidate;
    }
    return std::string(name);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    // Lexically, as Windows does: "x/../stick" is "stick", so a folder has
    // one spelling whichever way it was named.
    return error ? path : absolute.lexically_normal().string();
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string("/") : folder, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        if (entries->is_regular_file(error)) names.push_back(entries->path().filename().string());
    }
    return names;
}

std::string NameOnDisk(const std::string& path) {
    const std::string folder = FolderOf(path);
    return MatchNameInFolder(folder, std::string_view(path).substr(folder.size()));
}

}  // namespace tamsiro
