#include "archive/byte_source.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace tamsiro {

bool MemorySource::ReadAt(std::int64_t position, void* buffer, std::size_t size) {
    if (position < 0 || static_cast<std::uint64_t>(position) > bytes_.size() ||
        size > bytes_.size() - static_cast<std::size_t>(position)) {
        return false;
    }
    if (size > 0) std::memcpy(buffer, bytes_.data() + position, size);
    return true;
}

bool FileSource::Fail(Failure failure) {
    failure_ = std::move(failure);
    position_ = -1;
    return false;
}

bool FileSource::Open(const std::string& path) {
    Close();
    path_ = path;
    failure_.reset();
    if (!file_.Open(path, BinaryFile::Mode::Read)) return Fail(file_.LastFailure());
    std::setvbuf(file_.Handle(), nullptr, _IONBF, 0);
    size_ = file_.Size();
    position_ = 0;
    return true;
}

void FileSource::Close() {
    (void)file_.Close();
    size_ = -1;
    position_ = -1;
}

bool FileSource::ReadAt(std::int64_t position, void* buffer, std::size_t size) {
    if (!file_.IsOpen() || position < 0) return false;
    if (position != position_) {
        position_ = -1;
        if (!file_.Seek(position)) return Fail(SystemFailure(FileAction::Read, path_));
        position_ = position;
    }
    if (!file_.ReadExactly(buffer, size)) return Fail(file_.LastFailure());
    position_ += static_cast<std::int64_t>(size);
    return true;
}

}  // namespace tamsiro
