#include "archive/archive_merge.h"

#include "app/progress.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tamsiro {

namespace {

// The one fixed buffer of the merge. Entry data is read straight into it
// at its fill level, and it is written to the output whenever it is full
// and at the end, so many small entries cost few writes and each byte is
// copied once in user space, as a plain file copy does.
class CopyBuffer {
public:
    explicit CopyBuffer(BinaryFile& output)
        : output_(output), bytes_(std::make_unique<unsigned char[]>(kMergeCopyBufferSize)) {}

    // Appends `size` bytes read from the source at `position`. False
    // when the source ran short; what the failed run had put in the buffer
    // is dropped, unless part of it has already been written out. A failed
    // write counts in `writeErrors`.
    bool Append(ByteSource& source, std::int64_t position, std::uint64_t size, int& writeErrors) {
        const std::size_t startFill = fill_;
        bool flushed = false;
        std::uint64_t remaining = size;
        while (remaining > 0) {
            if (fill_ == kMergeCopyBufferSize) {
                if (!Flush()) ++writeErrors;
                flushed = true;
            }
            const std::size_t chunk = std::min<std::size_t>(remaining, kMergeCopyBufferSize - fill_);
            if (!source.ReadAt(position, bytes_.get() + fill_, chunk)) {
                if (!flushed) fill_ = startFill;
                return false;
            }
            fill_ += chunk;
            position += static_cast<std::int64_t>(chunk);
            remaining -= chunk;
        }
        return true;
    }

    std::size_t Fill() const { return fill_; }

    // Writes out what the buffer holds. False when the write failed (the
    // bytes are dropped either way).
    bool Flush() {
        const bool ok = output_.WriteExactly(bytes_.get(), fill_);
        fill_ = 0;
        return ok;
    }

private:
    BinaryFile& output_;
    std::unique_ptr<unsigned char[]> bytes_;
    std::size_t fill_ = 0;
};

// Entries whose data follow each other in one source are read as one run:
// a stock archive's untouched entries come in long runs, and one read per
// entry would cost thousands of small reads.
class RunReader {
public:
    explicit RunReader(CopyBuffer& buffer) : buffer_(buffer) {}

    // Takes the entry's data at `offset` into the run, or ends the run and
    // starts a new one there. False when the run before could not be read
    // (this entry is then not taken).
    bool Add(ByteSource& source, std::int64_t offset, std::uint32_t size, int& errors) {
        if (source_ == &source && start_ + static_cast<std::int64_t>(length_) == offset) {
            length_ += size;
            return true;
        }
        if (!Flush(errors)) return false;
        source_ = &source;
        start_ = offset;
        length_ = size;
        return true;
    }

    // Reads what the run holds into the buffer. False when the source ran
    // short.
    bool Flush(int& errors) {
        if (source_ == nullptr || length_ == 0) return true;
        ByteSource& source = *source_;
        const std::uint64_t length = length_;
        source_ = nullptr;
        length_ = 0;
        return buffer_.Append(source, start_, length, errors);
    }

private:
    CopyBuffer& buffer_;
    ByteSource* source_ = nullptr;
    std::int64_t start_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace

void PrepareWorkArchive(const OdaArchive& base, OdaArchive& output) {
    output.MutableHeader() = base.Header();
    output.MutableTable() = base.Table();
}

namespace {

// Whether an entry's data lies inside its source: only then does the merge
// copy it (anything else is an error that writes nothing).
bool DataInside(const OdaEntry& entry, std::int64_t fileSize) {
    return entry.Offset() >= 0 && fileSize >= 0 && entry.Offset() + static_cast<std::int64_t>(entry.Size()) <= fileSize;
}

}  // namespace

std::uint64_t MergedDataSize(const OdaArchive& base, const OdaArchive& selected) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < base.TableSize(); ++i) {
        const std::optional<std::size_t> found = selected.Find(base.Entry(i));
        const OdaArchive& source = found ? selected : base;
        const OdaEntry& from = found ? selected.Entry(*found) : base.Entry(i);
        if (DataInside(from, source.FileSize())) total += from.Size();
    }
    return total;
}

std::uint64_t MergedArchiveSize(const OdaArchive& base, const OdaArchive& selected) {
    return kOdaHeaderSize + kOdaEntrySize * static_cast<std::uint64_t>(base.TableSize()) +
           MergedDataSize(base, selected);
}

bool WriteMergedArchive(OdaArchive& base, OdaArchive& selected, OdaArchive& output, std::int64_t maxOutputOffset,
                        ProgressMeter* progress) {
    maxOutputOffset = std::min(maxOutputOffset, kMaxOdaOffset);
    int errors = 0;
    BinaryFile& out = output.File();
    std::vector<OdaEntry>& table = output.MutableTable();
    const std::size_t count = table.size();

    // The header, then the table as N blocks (rewritten at the end).
    if (out.WriteBlocks(output.Header().bytes.data(), kOdaHeaderSize, 1) != 1) ++errors;
    if (out.WriteBlocks(table.data(), kOdaEntrySize, count) != count) ++errors;

    // The data, entry by entry, through one fixed buffer. The output
    // position is the position in the file plus what the buffer holds.
    CopyBuffer buffer(out);
    RunReader runs(buffer);
    std::int64_t position = out.Tell();
    // After a failed read the output position is where the buffer ends.
    auto resynchronise = [&] {
        ++errors;
        position = out.Tell();
        if (position >= 0) position += static_cast<std::int64_t>(buffer.Fill());
    };
    for (std::size_t i = 0; i < count; ++i) {
        OdaEntry& entry = table[i];
        const std::optional<std::size_t> found = selected.Find(entry);
        OdaArchive& source = found ? selected : base;
        const OdaEntry& from = found ? selected.Entry(*found) : base.Entry(i);
        const std::uint32_t size = from.Size();
        const std::int64_t offset = from.Offset();

        entry.SetSize(size);
        if (position < 0 || position > maxOutputOffset) {
            // The offset field cannot hold this position: the table would be
            // corrupt. The data is not written, which also bounds the output.
            ++errors;
            continue;
        }
        entry.SetOffset(static_cast<std::int32_t>(position));

        // A negative offset is a failed positioning; data past the end of the
        // source file is a failed read. Neither writes anything.
        if (!DataInside(from, source.FileSize())) {
            ++errors;
            continue;
        }
        if (progress) progress->Advance(size);
        if (size == 0) continue;  // a zero-size entry is valid and empty
        if (runs.Add(source.Source(), offset, size, errors)) {
            position += size;
        } else {
            resynchronise();
        }
    }
    if (!runs.Flush(errors)) resynchronise();
    if (!buffer.Flush()) ++errors;

    // The table again, now with the new offsets and sizes.
    if (!out.Seek(static_cast<std::int64_t>(kOdaHeaderSize))) {
        ++errors;
    } else if (out.WriteBlocks(table.data(), kOdaEntrySize, count) != count) {
        ++errors;
    }
    return errors == 0;
}

MergeVerdict MergeArchiveFiles(const std::string& basePath, const std::string& selectedPath,
                               const std::string& workPath) {
    OdaArchive base;
    if (!base.Open(basePath)) return MergeVerdict::BaseNotOpened;
    OdaArchive selected;
    if (!selected.Open(selectedPath)) return MergeVerdict::SelectedNotOpened;
    OdaArchive output;
    PrepareWorkArchive(base, output);
    if (!output.Create(workPath)) return MergeVerdict::WorkNotCreated;
    const bool merged = WriteMergedArchive(base, selected, output);
    // A work archive whose last writes never reached the disk is truncated.
    const bool closed = output.File().Close();
    return merged && closed ? MergeVerdict::Done : MergeVerdict::Errors;
}

}  // namespace tamsiro
