#include "archive/archive_check.h"

#include "archive/oda_format.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace tamsiro {

namespace {

// The table is read in slices of this many entries, so that the memory the
// check needs does not grow with the archive.
constexpr std::size_t kEntriesPerSlice = 512;

ArchiveCheckOutcome Defect(ArchiveCheckVerdict verdict) {
    ArchiveCheckOutcome outcome;
    outcome.verdict = verdict;
    return outcome;
}

// The first defect of one table entry, if any.
std::optional<ArchiveCheckOutcome> CheckEntry(const OdaEntry& entry, std::size_t index, std::int64_t fileSize) {
    const std::int64_t offset = entry.Offset();
    const std::int64_t end = offset + static_cast<std::int64_t>(entry.Size());
    if (offset >= 0 && end <= fileSize) return std::nullopt;
    ArchiveCheckOutcome outcome =
        Defect(offset < 0 ? ArchiveCheckVerdict::NegativeOffset : ArchiveCheckVerdict::DataPastEnd);
    outcome.entry = index;
    outcome.offset = offset;
    outcome.size = entry.Size();
    outcome.dataEnd = end;
    outcome.fileSize = fileSize;
    return outcome;
}

}  // namespace

bool ArchiveCheckOutcome::operator==(const ArchiveCheckOutcome& other) const {
    const auto sameFailure = [](const std::optional<Failure>& a, const std::optional<Failure>& b) {
        if (!a || !b) return a.has_value() == b.has_value();
        return a->action == b->action && a->reason == b->reason && a->path == b->path && a->systemCode == b->systemCode;
    };
    return verdict == other.verdict && fileSize == other.fileSize && magic == other.magic && count == other.count &&
           tableEnd == other.tableEnd && entry == other.entry && offset == other.offset && size == other.size &&
           dataEnd == other.dataEnd && sameFailure(failure, other.failure);
}

ArchiveCheckOutcome CheckArchive(ByteSource& source) {
    const std::int64_t fileSize = source.Size();
    if (fileSize < 0) return Defect(ArchiveCheckVerdict::SizeUnknown);
    if (fileSize < static_cast<std::int64_t>(kOdaHeaderSize)) {
        ArchiveCheckOutcome outcome = Defect(ArchiveCheckVerdict::ShorterThanHeader);
        outcome.fileSize = fileSize;
        return outcome;
    }
    OdaHeader header;
    if (!source.ReadAt(0, header.bytes.data(), kOdaHeaderSize)) {
        ArchiveCheckOutcome outcome = Defect(ArchiveCheckVerdict::HeaderUnreadable);
        outcome.failure = source.LastFailure();
        return outcome;
    }
    if (!header.HasMagic()) {
        ArchiveCheckOutcome outcome = Defect(ArchiveCheckVerdict::WrongMagic);
        outcome.magic.assign(reinterpret_cast<const char*>(header.bytes.data()), kOdaMagic.size());
        return outcome;
    }
    const std::int32_t count = header.Count();
    const std::int64_t tableEnd =
        static_cast<std::int64_t>(kOdaHeaderSize) + static_cast<std::int64_t>(kOdaEntrySize) * count;
    const auto tableDefect = [&](ArchiveCheckVerdict verdict) {
        ArchiveCheckOutcome outcome = Defect(verdict);
        outcome.count = count;
        outcome.tableEnd = tableEnd;
        outcome.fileSize = fileSize;
        return outcome;
    };
    if (count < 0) return tableDefect(ArchiveCheckVerdict::NegativeCount);
    if (tableEnd > fileSize) return tableDefect(ArchiveCheckVerdict::TablePastEnd);
    if (count > kMaxOdaEntries) return tableDefect(ArchiveCheckVerdict::TooManyEntries);

    std::vector<OdaEntry> slice(std::min<std::size_t>(kEntriesPerSlice, static_cast<std::size_t>(count)));
    for (std::size_t first = 0; first < static_cast<std::size_t>(count); first += slice.size()) {
        const std::size_t n = std::min(slice.size(), static_cast<std::size_t>(count) - first);
        const auto position = static_cast<std::int64_t>(kOdaHeaderSize + kOdaEntrySize * first);
        if (!source.ReadAt(position, slice.data(), kOdaEntrySize * n)) {
            ArchiveCheckOutcome outcome = Defect(ArchiveCheckVerdict::TableUnreadable);
            outcome.entry = first;
            outcome.failure = source.LastFailure();
            return outcome;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (auto defect = CheckEntry(slice[i], first + i, fileSize)) return *std::move(defect);
        }
    }
    return {};
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

ArchiveCheckOutcome CheckArchiveFile(const std::string& path) {
    FileSource file;
    if (!file.Open(path)) {
        ArchiveCheckOutcome outcome = Defect(ArchiveCheckVerdict::NotOpened);
        outcome.failure = file.LastFailure();
        return outcome;
    }
    return CheckArchive(file);
}

ArchiveCheckOutcome CheckArchiveBytes(std::span<const unsigned char> bytes) {
    MemorySource memory(bytes);
    return CheckArchive(memory);
}

}  // namespace tamsiro
