#pragma once

#include "host/binary_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tamsiro {

// Where an archive's bytes come from: a file, or bytes already in memory
// (tests and fuzzers need no scratch files). Every read names its position
// and is checked against the end, so a parser cannot read past it whatever
// the table says.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The size in bytes, or -1 when it cannot be told.
    virtual std::int64_t Size() const = 0;

    // Exactly `size` bytes from `position` into `buffer`; false when any of
    // them lies outside the source or the read failed. Zero bytes inside
    // (or at the end) is a success.
    [[nodiscard]] virtual bool ReadAt(std::int64_t position, void* buffer, std::size_t size) = 0;

    // Why the last open or read that failed did, where the host said so;
    // bytes in memory have no host to fail.
    virtual std::optional<Failure> LastFailure() const { return std::nullopt; }
};

// A span of bytes the caller keeps alive for the source's life.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    [[nodiscard]] bool ReadAt(std::int64_t position, void* buffer, std::size_t size) override;

private:
    std::span<const unsigned char> bytes_;
};

// A file opened for reading, unbuffered: callers read tables and entry data
// in large pieces straight into their own buffers, and reads that follow
// each other need no positioning call.
class FileSource final : public ByteSource {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    [[nodiscard]] bool Open(const std::string& path);
    bool IsOpen() const { return file_.IsOpen(); }
    void Close();

    // The size when opened.
    std::int64_t Size() const override { return size_; }
    [[nodiscard]] bool ReadAt(std::int64_t position, void* buffer, std::size_t size) override;
    std::optional<Failure> LastFailure() const override { return failure_; }

private:
    bool Fail(Failure failure);

    BinaryFile file_;
    std::string path_;
    std::optional<Failure> failure_;
    std::int64_t size_ = -1;
    // Where the file stands; -1 after a failed read or seek.
    std::int64_t position_ = -1;
};

}  // namespace tamsiro
