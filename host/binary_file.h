#pragma once

#include "host/failure.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace tamsiro {

// An owned stdio stream in binary mode. Closed on every path out of the
// scope that opened it; Close() reports whether the final flush worked.
class BinaryFile {
public:
    // Read opens regular files only; Write creates or truncates; CreateNew
    // creates a file that must not exist yet, never through a link.
    enum class Mode { Read, Write, CreateNew };

    BinaryFile() = default;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    ~BinaryFile();

    // "rb" or "wb". A directory never opens, and neither does a FIFO,
    // device or socket for reading: opening one could wait for ever.
    [[nodiscard]] bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return file_ != nullptr; }

    // Whole blocks transferred, as fread/fwrite count them: a request whose
    // total size is zero transfers none.
    std::size_t ReadBlocks(void* buffer, std::size_t blockSize, std::size_t count);
    std::size_t WriteBlocks(const void* buffer, std::size_t blockSize, std::size_t count);

    // Byte-exact variants for streaming: true when all bytes moved (also
    // for zero bytes).
    [[nodiscard]] bool ReadExactly(void* buffer, std::size_t size);
    [[nodiscard]] bool WriteExactly(const void* buffer, std::size_t size);

    [[nodiscard]] bool Seek(std::int64_t offsetFromStart);
    std::int64_t Tell();
    // Size of the file in bytes, or -1. Keeps the current position.
    std::int64_t Size();

    // Asks the host to start sending what was written so far to the device,
    // without waiting: a copy that calls it as it goes overlaps its writing
    // with the device's, and its Flush waits less. Best effort.
    void StartWriteBack();

    // Sends everything written so far to the device (fflush, then fsync or
    // its host equivalent). False when that failed.
    [[nodiscard]] bool Flush();

    // False when any write failed or the final flush failed.
    [[nodiscard]] bool Close();

    std::FILE* Handle() { return file_; }

    // Why the last operation that failed did (see failure.h).
    const Failure& LastFailure() const { return failure_; }

private:
    bool Fail(FileAction action);
    bool FailWith(FileAction action, FailureReason reason);

    std::FILE* file_ = nullptr;
    std::string path_;
    // Closing a file open for writing writes what stdio still buffers.
    bool writing_ = false;
    Failure failure_;
};

// The whole content of a file, or nothing when it does not open or cannot
// be read (why, in `*failure` when asked). Files larger than `limit` bytes
// are refused.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit = 64u << 20,
                                                       Failure* failure = nullptr);

// Whether every byte of a file reads: a copy of a stick file that failed
// is then the target folder's fault, not the stick's.
[[nodiscard]] bool ReadsToTheEnd(const std::string& path);

// Host pieces of the stream above (binary_file_posix.cpp, _linux.cpp,
// _macos.cpp, _win32.cpp).
// A stream for reading a regular file, checked without blocking, or null.
std::FILE* OpenRegularFileForReading(const std::string& path);
// A stream for writing a file created now (O_EXCL, CREATE_NEW), or null.
std::FILE* CreateNewFileForWriting(const std::string& path);
int SeekStream(std::FILE* file, std::int64_t offset, int origin);
std::int64_t StreamPosition(std::FILE* file);
bool SyncStreamToDevice(std::FILE* file);
// POSIX hosts: sends a descriptor's file (or folder) to the device, past the
// drive's own cache where the host needs asking for that (macOS); 0 or -1
// with errno, as fsync.
int SyncDescriptorToDevice(int fd);
// Where the host has no such request (binary_file_linux.cpp has one), nothing.
void StartStreamWriteBack(std::FILE* file);

}  // namespace tamsiro
