#pragma once

#include "archive/oda_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro {

// Builds well-formed archives: the test fixtures, the demo workspace and
// the benchmarks use it, and so does packing a folder back into an archive
// (archive_folder.h). The installer itself never creates archives from
// scratch.

// The layout of every archive Tamsiro writes: the data of the entries back
// to back in table order, starting right after the table (64 + 144 * N).
// Sets the header's count to the table's size and each entry's offset from
// the sizes already in the table. False when an offset would not fit the
// signed 32-bit field (the data would start past 2 GiB).
[[nodiscard]] bool LayOutBackToBack(OdaHeader& header, std::vector<OdaEntry>& table);
struct ArchiveItem {
    std::string tag;   // 4 bytes; shorter tags are padded with zeros
    std::string name;  // at most 127 bytes
    std::vector<unsigned char> data;
};

// Header bytes after the magic and count are filled with a recognisable
// pattern so that tests can see them carried through a merge.
[[nodiscard]] bool WriteArchive(const std::string& path, const std::vector<ArchiveItem>& items);

// The bytes WriteArchive writes, in memory, for fixtures that then bend
// single fields (see PatchLe32).
std::vector<unsigned char> ArchiveBytes(const std::vector<ArchiveItem>& items);

// File position of a field of table entry i: the entry's start plus
// `fieldOffset` (kOdaTagField, kOdaNameField, kOdaDataOffsetField, ...).
std::size_t EntryFieldPosition(std::size_t index, std::size_t fieldOffset);

// Overwrites 4 bytes at `position` with a little-endian value.
void PatchLe32(std::vector<unsigned char>& bytes, std::size_t position, std::uint32_t value);

}  // namespace tamsiro
