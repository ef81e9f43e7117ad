#include "app/file_system.h"

#include "app/binary_file.h"

#include <algorithm>
#include <cstdint>
#include <array>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif
#endif

namespace tamsiro {

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

#ifndef _WIN32

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool AnythingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectoryAt(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

#if defined(__linux__)
// Copies inside the kernel (copy_file_range), sparing the round trip of
// every byte through user space. 1: copied; 0: not available here and
// nothing was copied (use the stream); -1: failed.
int CopyInKernel(BinaryFile& source, int targetFd) {
    const int sourceFd = ::fileno(source.Handle());
    struct stat info {};
    if (sourceFd < 0 || ::fstat(sourceFd, &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t moved = ::copy_file_range(sourceFd, nullptr, targetFd, nullptr, std::size_t{1} << 30, 0);
        if (moved > 0) {
            copied += static_cast<std::uint64_t>(moved);
            continue;
        }
        if (moved == 0) {
            // The end of the source. Some kernels also report 0 for files
            // they cannot copy this way (and /proc files claim a size of 0),
            // so a 0 before any byte has moved falls back to the stream.
            return copied == 0 ? 0 : 1;
        }
        if (errno == EINTR) continue;
        if (copied == 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                            errno == EPERM || errno == EBADF)) {
            return 0;
        }
        return -1;
    }
}
#endif

// Streams `source` into an already opened target descriptor.
bool StreamInto(BinaryFile& source, int targetFd) {
#if defined(__linux__)
    const int inKernel = CopyInKernel(source, targetFd);
    if (inKernel != 0) return inKernel > 0;
#endif
    constexpr std::size_t kChunk = 256 * 1024;
    const auto buffer = std::make_unique<char[]>(kChunk);
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, kChunk, source.Handle());
        std::size_t done = 0;
        while (done < got) {
            const ssize_t wrote = ::write(targetFd, buffer.get() + done, got - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return false;
            done += static_cast<std::size_t>(wrote);
        }
        if (got < kChunk) return std::ferror(source.Handle()) == 0;
    }
}

#endif

}  // namespace

bool FileExists(const std::string& path) {
    BinaryFile file;
    return file.Open(path, BinaryFile::Mode::Read);
}

#ifdef _WIN32

bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode) {
    return ::CopyFileA(from.c_str(), to.c_str(), mode == CopyMode::FailIfExists ? TRUE : FALSE) != 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool DeleteFileAt(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool ChangeCurrentDirectory(const std::string& path) { return ::SetCurrentDirectoryA(path.c_str()) != 0; }

std::string CurrentDirectory() {
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

std::string FullPathOf(const std::string& path) {
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

std::string MatchNameInFolder(const std::string&, std::string_view name) {
    // The Windows file systems already match names without regard to case.
    return std::string(name);
}

#else

bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode) {
    BinaryFile source;
    if (!source.Open(from, BinaryFile::Mode::Read)) return false;
    if (IsDirectoryAt(to)) return false;
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    flags |= (mode == CopyMode::FailIfExists) ? O_EXCL : O_TRUNC;
    const int target = ::open(to.c_str(), flags, 0666);
    if (target < 0) return false;
    bool ok = StreamInto(source, target);
    if (::close(target) != 0) ok = false;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

bool RenameFile(const std::string& from, const std::string& to) {
#if defined(__linux__) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // File systems without an atomic no-replace rename: check, then rename.
    if (AnythingAt(to)) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool DeleteFileAt(const std::string& path) {
    if (IsDirectoryAt(path)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool ChangeCurrentDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string CurrentDirectory() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

std::string FullPathOf(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::string base = CurrentDirectory();
    if (base.empty()) return {};
    if (base.back() != '/') base += '/';
    return base + path;
}

std::string MatchNameInFolder(const std::string& folder, std::string_view name) {
    std::string exact = folder;
    if (!exact.empty() && exact.back() != '/') exact += '/';
    exact += name;
    if (AnythingAt(exact)) return std::string(name);

    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? std::string(".") : folder, error);
    for (const auto end = std::filesystem::directory_iterator(); !error && entries != end; entries.increment(error)) {
        std::string candidate = entries->path().filename().string();
        if (EqualIgnoringAsciiCase(candidate, name)) return candidate;
    }
    return std::string(name);
}

#endif

std::string FolderOf(const std::string& filePath) {
    for (std::size_t i = filePath.size(); i > 0; --i) {
        if (IsSeparator(filePath[i - 1])) return filePath.substr(0, i);
    }
    return {};
}

}  // namespace tamsiro
