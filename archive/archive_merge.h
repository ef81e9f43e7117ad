#pragma once

#include "archive/oda_archive.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamsiro {

class ProgressMeter;

// Every entry's data is copied through one buffer of this size, so the
// merge's memory does not depend on entry sizes.
inline constexpr std::size_t kMergeCopyBufferSize = 256 * 1024;

// The output gets a byte copy of the base's header and
// table (the base's count, order, tags, names and opaque bytes).
void PrepareWorkArchive(const OdaArchive& base, OdaArchive& output);

// The merge itself, on an output created for writing (OdaArchive::
// Create) after PrepareWorkArchive: writes the header and table, then the
// data of each entry in table order (from the selected archive when it has
// an entry with the same tag and name, else from the base's entry at the
// same position), packed from 64 + 144 * N, and finally the table again
// with the new offsets and sizes. False when any operation failed; the loop
// always runs over all entries, whatever has failed.
//
// Besides failed file operations, these count as errors: a negative source
// offset (a failed positioning), source data that runs past the end of its
// file, and an output offset beyond the signed 32-bit range (that entry's
// data is then not written). A zero-size entry is valid and comes out
// empty. Nothing closes the archives here. `maxOutputOffset` lowers the
// offset limit for tests, which cannot write 2 GiB each time.
[[nodiscard]] bool WriteMergedArchive(OdaArchive& base, OdaArchive& selected, OdaArchive& output,
                                      std::int64_t maxOutputOffset = kMaxOdaOffset, ProgressMeter* progress = nullptr);

// The bytes of entry data the merge of these two archives copies, for its
// progress and its size (data outside its file is not copied).
std::uint64_t MergedDataSize(const OdaArchive& base, const OdaArchive& selected);

// The size in bytes of the archive the merge of these two writes, from
// their tables alone (header, table and data), so that a merge that cannot
// fit is refused before its first byte is written. Entries whose data
// overlap in a source each count in full, as the merge copies each.
std::uint64_t MergedArchiveSize(const OdaArchive& base, const OdaArchive& selected);

// The whole merge without messages, busy cursor or installation, for tools,
// benchmarks and fuzzing: opens both archives, writes the work archive and
// closes everything.
enum class MergeVerdict { Done, BaseNotOpened, SelectedNotOpened, WorkNotCreated, Errors };
[[nodiscard]] MergeVerdict MergeArchiveFiles(const std::string& basePath, const std::string& selectedPath,
                                             const std::string& workPath);

}  // namespace tamsiro
