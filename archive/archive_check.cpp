#include "archive/archive_check.h"

#include "archive/file_reason.h"
#include "archive/oda_format.h"
#include "archive/oda_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tamsiro {

namespace {

// The table is read in slices of this many entries, so that the memory the
// check needs does not grow with the archive.
constexpr std::size_t kEntriesPerSlice = 512;

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

}  // namespace

std::optional<std::string> CheckArchive(ByteSource& source) {
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
    if (count > kMaxOdaEntries) {
        return "table: " + std::to_string(count) + " entries, more than the " + std::to_string(kMaxOdaEntries) +
               " Tamsiro handles";
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

std::size_t CountOverlappingEntries(const std::vector<OdaEntry>& table) {
    struct Span {
        std::int64_t start;
        std::int64_t end;
        std::size_t index;
    };
    std::vector<Span> spans;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::int64_t start = table[i].Offset();
        // An empty entry shares no byte with anything.
        if (table[i].Size() > 0) spans.push_back({start, start + static_cast<std::int64_t>(table[i].Size()), i});
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    // In order of their starts, an entry overlaps one before it exactly when
    // it starts before the furthest end so far; the entry that reached that
    // end overlaps it too.
    std::vector<bool> overlapping(table.size(), false);
    const Span* furthest = nullptr;
    for (const Span& span : spans) {
        if (furthest && span.start < furthest->end) {
            overlapping[span.index] = true;
            overlapping[furthest->index] = true;
        }
        if (!furthest || span.end > furthest->end) furthest = &span;
    }
    return static_cast<std::size_t>(std::count(overlapping.begin(), overlapping.end(), true));
}

std::optional<std::string> CheckArchiveFile(const std::string& path) {
    FileSource file;
    errno = 0;
    if (!file.Open(path)) return "cannot open the file for reading: " + WhyNotReadable(path, errno);
    return CheckArchive(file);
}

std::optional<std::string> CheckArchiveBytes(std::span<const unsigned char> bytes) {
    MemorySource memory(bytes);
    return CheckArchive(memory);
}

}  // namespace tamsiro
