#include "host/binary_file.h"

#include "host/file_change_hook.h"
#include "host/file_system.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tamsiro {

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      writing_(std::exchange(other.writing_, false)) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        (void)Close();
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        writing_ = std::exchange(other.writing_, false);
    }
    return *this;
}

BinaryFile::~BinaryFile() { (void)Close(); }

bool BinaryFile::Fail(FileAction action) {
    failure_ = SystemFailure(action, path_);
    return false;
}

bool BinaryFile::FailWith(FileAction action, FailureReason reason) {
    failure_ = {action, reason, path_, 0};
    return false;
}

bool BinaryFile::Open(const std::string& path, Mode mode) {
    (void)Close();
    path_ = path;
    const FileAction action = mode == Mode::Read ? FileAction::Open : FileAction::Create;
    // fopen would happily "open" a directory for reading on POSIX.
    if (IsFolder(path)) return FailWith(action, FailureReason::LinkOrSpecial);
    if (mode == Mode::Read ? !BeforeFileRead(path) : !BeforeFileChange()) return FailWith(action, FailureReason::Io);
    switch (mode) {
    case Mode::Read: file_ = OpenRegularFileForReading(path); break;
    case Mode::Write: file_ = std::fopen(path.c_str(), "wb"); break;
    case Mode::CreateNew: file_ = CreateNewFileForWriting(path); break;
    }
    writing_ = file_ != nullptr && mode != Mode::Read;
    return file_ != nullptr || Fail(action);
}

std::size_t BinaryFile::ReadBlocks(void* buffer, std::size_t blockSize, std::size_t count) {
    if (!file_ || blockSize == 0 || count == 0) return 0;
    return std::fread(buffer, blockSize, count, file_);
}

std::size_t BinaryFile::WriteBlocks(const void* buffer, std::size_t blockSize, std::size_t count) {
    if (!file_ || blockSize == 0 || count == 0) return 0;
    if (!BeforeFileChange(FileOperation::Write, path_, {}, static_cast<unsigned long long>(blockSize) * count))
        return 0;
    return std::fwrite(buffer, blockSize, count, file_);
}

bool BinaryFile::ReadExactly(void* buffer, std::size_t size) {
    if (!file_) return FailWith(FileAction::Read, FailureReason::NotFound);
    if (size == 0 || std::fread(buffer, 1, size, file_) == size) return true;
    // A file that ends too soon is not what it should be.
    return std::ferror(file_) ? Fail(FileAction::Read) : FailWith(FileAction::Read, FailureReason::Damaged);
}

bool BinaryFile::WriteExactly(const void* buffer, std::size_t size) {
    if (!file_) return FailWith(FileAction::Write, FailureReason::NotFound);
    if (size == 0) return true;
    if (!BeforeFileChange(FileOperation::Write, path_, {}, size)) return FailWith(FileAction::Write, FailureReason::Io);
    return std::fwrite(buffer, 1, size, file_) == size || Fail(FileAction::Write);
}

bool BinaryFile::Seek(std::int64_t offsetFromStart) {
    if (!file_ || offsetFromStart < 0) return false;
    return SeekStream(file_, offsetFromStart, SEEK_SET) == 0;
}

std::int64_t BinaryFile::Tell() { return file_ ? StreamPosition(file_) : -1; }

std::int64_t BinaryFile::Size() {
    if (!file_) return -1;
    const std::int64_t here = StreamPosition(file_);
    if (here < 0 || SeekStream(file_, 0, SEEK_END) != 0) return -1;
    const std::int64_t size = StreamPosition(file_);
    if (SeekStream(file_, here, SEEK_SET) != 0) return -1;
    return size;
}

void BinaryFile::StartWriteBack() {
    if (file_ && std::fflush(file_) == 0) StartStreamWriteBack(file_);
}

bool BinaryFile::Flush() {
    if (!file_) return FailWith(FileAction::Flush, FailureReason::NotFound);
    if (!BeforeFileChange(FileOperation::Flush, path_)) return FailWith(FileAction::Flush, FailureReason::Io);
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0) return Fail(FileAction::Write);
    return SyncStreamToDevice(file_) || Fail(FileAction::Flush);
}

bool BinaryFile::Close() {
    if (!file_) return true;
    // An injected failure still closes: only the report is a failure.
    const bool failed = writing_ && !BeforeFileChange();
    writing_ = false;
    const bool hadError = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed) return FailWith(FileAction::Write, FailureReason::Io);
    if (!closed || hadError) return Fail(FileAction::Write);
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit, Failure* failure) {
    BinaryFile file;
    const bool opened = file.Open(path, BinaryFile::Mode::Read);
    const std::int64_t size = opened ? file.Size() : -1;
    if (opened && size >= 0 && static_cast<std::uint64_t>(size) > limit) {
        (void)Failed(failure, {FileAction::Read, FailureReason::Damaged, path, 0});
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
    if (!opened || size < 0 || !file.ReadExactly(bytes.data(), bytes.size())) {
        (void)Failed(failure, file.LastFailure());
        return std::nullopt;
    }
    return bytes;
}

bool ReadsToTheEnd(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) return false;
    std::vector<unsigned char> buffer(std::size_t{1} << 16);
    while (true) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.Handle());
        if (got < buffer.size()) return std::ferror(file.Handle()) == 0;
    }
}

}  // namespace tamsiro
