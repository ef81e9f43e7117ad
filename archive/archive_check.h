#pragma once

#include "archive/byte_source.h"
#include "archive/oda_format.h"
#include "host/failure.h"

#include <cstdint>
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

// The first defect found, in the order the check looks (entries count
// from 0).
enum class ArchiveCheckVerdict {
    Sound,
    NotOpened,          // the file did not open: `failure`
    SizeUnknown,        // the source cannot tell its size
    ShorterThanHeader,  // `fileSize` bytes, fewer than kOdaHeaderSize
    HeaderUnreadable,   // `failure` where the host said why
    WrongMagic,         // `magic`
    NegativeCount,      // `count`
    TablePastEnd,       // `count` entries end at `tableEnd`, past `fileSize`
    TooManyEntries,     // `count`, more than kMaxOdaEntries
    TableUnreadable,    // from `entry` on; `failure` where the host said why
    NegativeOffset,     // `entry`'s `offset`
    DataPastEnd,        // `entry`'s `offset` + `size` = `dataEnd`, past `fileSize`
};

struct [[nodiscard]] ArchiveCheckOutcome {
    ArchiveCheckVerdict verdict = ArchiveCheckVerdict::Sound;
    std::int64_t fileSize = 0;
    std::string magic;  // the first 4 bytes, raw
    std::int32_t count = 0;
    std::int64_t tableEnd = 0;
    std::size_t entry = 0;
    std::int64_t offset = 0;
    std::uint32_t size = 0;
    std::int64_t dataEnd = 0;
    std::optional<Failure> failure;

    bool Sound() const { return verdict == ArchiveCheckVerdict::Sound; }
    // The same defect with the same details (a failure's path and code
    // included).
    bool operator==(const ArchiveCheckOutcome& other) const;
};

// Over any byte source; a file that is not open cannot tell its size.
ArchiveCheckOutcome CheckArchive(ByteSource& source);

// Opens the file itself; a file that does not open is a defect too.
ArchiveCheckOutcome CheckArchiveFile(const std::string& path);

// Over an archive held in memory.
ArchiveCheckOutcome CheckArchiveBytes(std::span<const unsigned char> bytes);

// How many entries share data bytes with another entry. The format allows
// it (an entry's data may lie anywhere), but each such entry costs its full
// size again when it is extracted or merged, so a small file can claim far
// more data than it holds. Empty entries never count.
[[nodiscard]] std::size_t CountOverlappingEntries(const std::vector<OdaEntry>& table);

}  // namespace tamsiro
