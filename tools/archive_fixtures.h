#pragma once

#include "archive/oda_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro {

// Well-formed archives built from scratch, for the test fixtures, the demo
// workspace, the fuzz seeds and the benchmarks; Tamsiro itself never
// builds one but by packing a folder.
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
