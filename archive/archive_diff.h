#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tamsiro {

// How two archives differ, entry by entry. Entries are matched by tag and
// name (the k-th entry with a given tag and name in one archive with the
// k-th in the other); a matched pair is changed when their data differ.
// Order, header bytes and opaque bytes do not count.
enum class EntryChange { Added, Removed, Changed };

struct EntryDifference {
    EntryChange change;
    std::string tag;   // the 4 raw bytes
    std::string name;  // raw, up to its terminator
};

struct [[nodiscard]] ArchiveDiff {
    std::string problem;  // why the archives could not be compared, empty otherwise
    // Removed and changed entries in the first archive's order, then the
    // added ones in the second's.
    std::vector<EntryDifference> differences;
    std::size_t unchanged = 0;

    bool Ok() const { return problem.empty(); }
};

// Both archives must pass CheckArchive; a problem names the archive it is in.
ArchiveDiff DiffArchiveFiles(const std::string& firstPath, const std::string& secondPath);

}  // namespace tamsiro
