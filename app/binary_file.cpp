#include "app/binary_file.h"

#include <sys/stat.h>

#include <utility>

namespace tamsiro {

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

int SeekTo(std::FILE* file, std::int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

std::int64_t Position(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<std::int64_t>(ftello(file));
#endif
}

}  // namespace

BinaryFile::BinaryFile(BinaryFile&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
    }
    return *this;
}

BinaryFile::~BinaryFile() { Close(); }

bool BinaryFile::Open(const std::string& path, Mode mode) {
    Close();
    // fopen would happily "open" a directory for reading on POSIX.
    if (IsDirectory(path)) return false;
    file_ = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    return file_ != nullptr;
}

std::size_t BinaryFile::ReadBlocks(void* buffer, std::size_t blockSize, std::size_t count) {
    if (!file_ || blockSize == 0 || count == 0) return 0;
    return std::fread(buffer, blockSize, count, file_);
}

std::size_t BinaryFile::WriteBlocks(const void* buffer, std::size_t blockSize, std::size_t count) {
    if (!file_ || blockSize == 0 || count == 0) return 0;
    return std::fwrite(buffer, blockSize, count, file_);
}

bool BinaryFile::ReadExactly(void* buffer, std::size_t size) {
    if (!file_) return false;
    return size == 0 || std::fread(buffer, 1, size, file_) == size;
}

bool BinaryFile::WriteExactly(const void* buffer, std::size_t size) {
    if (!file_) return false;
    return size == 0 || std::fwrite(buffer, 1, size, file_) == size;
}

bool BinaryFile::Seek(std::int64_t offsetFromStart) {
    if (!file_ || offsetFromStart < 0) return false;
    return SeekTo(file_, offsetFromStart, SEEK_SET) == 0;
}

std::int64_t BinaryFile::Tell() { return file_ ? Position(file_) : -1; }

std::int64_t BinaryFile::Size() {
    if (!file_) return -1;
    const std::int64_t here = Position(file_);
    if (here < 0 || SeekTo(file_, 0, SEEK_END) != 0) return -1;
    const std::int64_t size = Position(file_);
    if (SeekTo(file_, here, SEEK_SET) != 0) return -1;
    return size;
}

bool BinaryFile::Close() {
    if (!file_) return true;
    const bool hadError = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !hadError;
}

}  // namespace tamsiro
