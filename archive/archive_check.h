#pragma once

#include "archive/byte_source.h"
#include "archive/oda_format.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamsiro {

// Whether an archive is sound as a whole: the magic "ODAR", a count that is
// not negative and at most kMaxOdaEntries, a table that lies inside the file, and every entry's data
// inside the file (an offset that is not negative, offset + size within the
// file's size). Only the header and the table are read, never the data, so
// the check costs the same for a small archive as for a big one.
//
// Each returns the first problem found, as a sentence that says what is
// wrong and where ("entry 17: data ends past the end of the file (...)";
// entries count from 0), or nothing when the archive is sound.

// Over any byte source; a file that is not open cannot tell its size.
[[nodiscard]] std::optional<std::string> CheckArchive(ByteSource& source);

// Opens the file itself; a file that does not open is a problem too.
[[nodiscard]] std::optional<std::string> CheckArchiveFile(const std::string& path);

// Over an archive held in memory.
[[nodiscard]] std::optional<std::string> CheckArchiveBytes(std::span<const unsigned char> bytes);

// How many entries share data bytes with another entry. The format allows
// it (an entry's data may lie anywhere), but each such entry costs its full
// size again when it is extracted or merged, so a small file can claim far
// more data than it holds. Empty entries never count.
[[nodiscard]] std::size_t CountOverlappingEntries(const std::vector<OdaEntry>& table);

}  // namespace tamsiro
