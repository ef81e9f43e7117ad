#include "archive/archive_merge.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tamsiro {

namespace {

// Copies `size` bytes from the source's current position to the output
// through the fixed buffer. False at the first short read or write.
bool CopyThrough(BinaryFile& source, BinaryFile& output, std::uint32_t size, unsigned char* buffer) {
    std::uint32_t remaining = size;
    while (remaining > 0) {
        const std::size_t chunk = std::min<std::size_t>(remaining, kMergeCopyBufferSize);
        if (!source.ReadExactly(buffer, chunk)) return false;
        if (!output.WriteExactly(buffer, chunk)) return false;
        remaining -= static_cast<std::uint32_t>(chunk);
    }
    return true;
}

}  // namespace

void PrepareWorkArchive(const OdaArchive& base, OdaArchive& output) {
    output.MutableHeader() = base.Header();
    output.MutableTable() = base.Table();
}

int WriteMergedArchive(OdaArchive& base, OdaArchive& selected, OdaArchive& output, std::int64_t maxOutputOffset) {
    maxOutputOffset = std::min(maxOutputOffset, kMaxOdaOffset);
    int errors = 0;
    BinaryFile& out = output.File();
    std::vector<OdaEntry>& table = output.MutableTable();
    const std::size_t count = table.size();

    // Step 6: header, then the table as N blocks (rewritten in step 8).
    if (out.WriteBlocks(output.Header().bytes.data(), kOdaHeaderSize, 1) != 1) ++errors;
    if (out.WriteBlocks(table.data(), kOdaEntrySize, count) != count) ++errors;

    // Step 7: the data, entry by entry, through one fixed buffer. The output
    // position is tracked here and read back from the file after a failure.
    const auto buffer = std::make_unique<unsigned char[]>(kMergeCopyBufferSize);
    std::int64_t position = out.Tell();
    for (std::size_t i = 0; i < count; ++i) {
        OdaEntry& entry = table[i];
        const int found = selected.Find(entry);
        OdaArchive& source = found >= 0 ? selected : base;
        const OdaEntry& from = found >= 0 ? selected.Entry(static_cast<std::size_t>(found)) : base.Entry(i);
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
        if (offset < 0 || !source.File().Seek(offset)) {
            ++errors;
            continue;
        }
        if (source.FileSize() < 0 || offset + static_cast<std::int64_t>(size) > source.FileSize()) {
            ++errors;
            continue;
        }
        if (size == 0) continue;  // a zero-size entry is valid and empty
        if (CopyThrough(source.File(), out, size, buffer.get())) {
            position += size;
        } else {
            ++errors;
            position = out.Tell();
        }
    }

    // Step 8: the table again, now with the new offsets and sizes.
    if (!out.Seek(static_cast<std::int64_t>(kOdaHeaderSize))) {
        ++errors;
    } else if (out.WriteBlocks(table.data(), kOdaEntrySize, count) != count) {
        ++errors;
    }
    return errors;
}

MergeOutcome MergeArchiveFiles(const std::string& basePath, const std::string& selectedPath,
                               const std::string& workPath, int* errorCount) {
    if (errorCount) *errorCount = 0;
    OdaArchive base;
    if (!base.Open(basePath)) return MergeOutcome::BaseNotOpened;
    OdaArchive selected;
    if (!selected.Open(selectedPath)) return MergeOutcome::SelectedNotOpened;
    OdaArchive output;
    PrepareWorkArchive(base, output);
    if (!output.Create(workPath)) return MergeOutcome::WorkNotCreated;
    const int errors = WriteMergedArchive(base, selected, output);
    output.Close();
    base.Close();
    selected.Close();
    if (errorCount) *errorCount = errors;
    return errors > 0 ? MergeOutcome::Errors : MergeOutcome::Done;
}

}  // namespace tamsiro
