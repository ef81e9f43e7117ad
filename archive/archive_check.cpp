#include "archive/archive_check.h"

#include "archive/oda_format.h"
#include "archive/oda_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tamsiro {

namespace {

// The table is read in slices of this many entries, so that the memory the
// check needs does not grow with the archive.
constexpr std::size_t kEntriesPerSlice = 512;

// An archive in memory, read the way a file is.
class ByteSource {
public:
    explicit ByteSource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    bool ReadAt(std::int64_t position, void* buffer, std::size_t size) const {
        if (position < 0 || static_cast<std::uint64_t>(position) + size > bytes_.size()) return false;
        std::memcpy(buffer, bytes_.data() + position, size);
        return true;
    }

private:
    std::span<const unsigned char> bytes_;
};

class FileSource {
public:
    explicit FileSource(BinaryFile& file) : file_(file), size_(file.Size()) {}
    std::int64_t Size() const { return size_; }
    bool ReadAt(std::int64_t position, void* buffer, std::size_t size) const {
        return file_.Seek(position) && file_.ReadExactly(buffer, size);
    }

private:
    BinaryFile& file_;
    std::int64_t size_;
};

std::string EntryProblem(std::size_t index, const std::string& what) {
    return "entry " + std::to_string(index) + ": " + what;
}

// The first problem of one table entry, if any.
std::optional<std::string> CheckEntry(const OdaEntry& entry, std::size_t index, std::int64_t fileSize) {
    const std::int64_t offset = entry.Offset();
    const std::int64_t end = offset + static_cast<std::int64_t>(entry.Size());
    if (offset < 0) return EntryProblem(index, "the data offset is negative (" + std::to_string(offset) + ")");
    if (end > fileSize) {
        return EntryProblem(index, "data ends past the end of the file (offset " + std::to_string(offset) + " + size " +
                                       std::to_string(entry.Size()) + " = " + std::to_string(end) + ", file size " +
                                       std::to_string(fileSize) + ")");
    }
    return std::nullopt;
}

template <typename Source>
std::optional<std::string> CheckSource(const Source& source) {
    const std::int64_t fileSize = source.Size();
    if (fileSize < 0) return "cannot tell the size of the file";
    if (fileSize < static_cast<std::int64_t>(kOdaHeaderSize)) {
        return "header: the file has " + std::to_string(fileSize) + " bytes, fewer than the 64 of the header";
    }
    OdaHeader header;
    if (!source.ReadAt(0, header.bytes.data(), kOdaHeaderSize)) return "header: cannot be read";
    if (!header.HasMagic()) {
        const std::string_view magic(reinterpret_cast<const char*>(header.bytes.data()), kOdaMagic.size());
        return "header: the magic is \"" + PrintableBytes(magic) + "\", not \"ODAR\"";
    }
    const std::int32_t count = header.Count();
    if (count < 0) return "header: the entry count is negative (" + std::to_string(count) + ")";

    const std::int64_t tableEnd =
        static_cast<std::int64_t>(kOdaHeaderSize) + static_cast<std::int64_t>(kOdaEntrySize) * count;
    if (tableEnd > fileSize) {
        return "table: " + std::to_string(count) + " entries end at byte " + std::to_string(tableEnd) +
               ", past the end of the file (file size " + std::to_string(fileSize) + ")";
    }

    std::vector<OdaEntry> slice(std::min<std::size_t>(kEntriesPerSlice, static_cast<std::size_t>(count)));
    for (std::size_t first = 0; first < static_cast<std::size_t>(count); first += slice.size()) {
        const std::size_t n = std::min(slice.size(), static_cast<std::size_t>(count) - first);
        const auto position = static_cast<std::int64_t>(kOdaHeaderSize + kOdaEntrySize * first);
        if (!source.ReadAt(position, slice.data(), kOdaEntrySize * n)) {
            return EntryProblem(first, "the table cannot be read from here on");
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (auto problem = CheckEntry(slice[i], first + i, fileSize)) return problem;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckArchive(BinaryFile& file) {
    if (!file.IsOpen()) return "the file is not open";
    return CheckSource(FileSource(file));
}

std::optional<std::string> CheckArchiveFile(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) return "cannot open the file for reading";
    return CheckArchive(file);
}

std::optional<std::string> CheckArchiveBytes(std::span<const unsigned char> bytes) {
    return CheckSource(ByteSource(bytes));
}

}  // namespace tamsiro
