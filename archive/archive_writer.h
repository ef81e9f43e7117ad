#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro {

// Builds well-formed archives: the test fixtures, the demo workspace and
// the benchmarks use it. The installer itself never creates archives from
// scratch.
struct ArchiveItem {
    std::string tag;   // 4 bytes; shorter tags are padded with zeros
    std::string name;  // at most 127 bytes
    std::vector<unsigned char> data;
};

// Header bytes after the magic and count are filled with a recognisable
// pattern so that tests can see them carried through a merge.
bool WriteArchive(const std::string& path, const std::vector<ArchiveItem>& items);

// Deterministic sample audio: a short 8-bit tone, `size` bytes long.
std::vector<unsigned char> SyntheticTone(std::size_t size, unsigned seed);

}  // namespace tamsiro
