#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tamsiro {

// An owned stdio stream in binary mode. Closed on every path out of the
// scope that opened it; Close() reports whether the final flush worked.
class BinaryFile {
public:
    enum class Mode { Read, Write };

    BinaryFile() = default;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    ~BinaryFile();

    // "rb" or "wb". A directory never opens.
    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return file_ != nullptr; }

    // Whole blocks transferred, as fread/fwrite count them: a request whose
    // total size is zero transfers none.
    std::size_t ReadBlocks(void* buffer, std::size_t blockSize, std::size_t count);
    std::size_t WriteBlocks(const void* buffer, std::size_t blockSize, std::size_t count);

    // Byte-exact variants for streaming: true when all bytes moved (also
    // for zero bytes).
    bool ReadExactly(void* buffer, std::size_t size);
    bool WriteExactly(const void* buffer, std::size_t size);

    bool Seek(std::int64_t offsetFromStart);
    std::int64_t Tell();
    // Size of the file in bytes, or -1. Keeps the current position.
    std::int64_t Size();

    // False when any write failed or the final flush failed.
    bool Close();

    std::FILE* Handle() { return file_; }

private:
    std::FILE* file_ = nullptr;
};

}  // namespace tamsiro
