#pragma once

#include "archive/archive_check.h"
#include "archive/byte_source.h"

#include <cstddef>
#include <memory>
#include <optional>
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

// Whether two archives could be compared.
enum class ArchiveDiffVerdict {
    Compared,
    NotSound,   // `archive` fails the check: `check` says why
    NotOpened,  // `archive` passed the check but did not open as an archive
};

struct [[nodiscard]] ArchiveDiffOutcome {
    ArchiveDiffVerdict verdict = ArchiveDiffVerdict::Compared;
    std::string archive;  // the name of the archive at fault
    ArchiveCheckOutcome check;
    // Removed and changed entries in the first archive's order, then the
    // added ones in the second's.
    std::vector<EntryDifference> differences;
    std::size_t unchanged = 0;

    bool Ok() const { return verdict == ArchiveDiffVerdict::Compared; }
};

// Both archives must pass CheckArchive; a file that does not open fails it.
ArchiveDiffOutcome DiffArchiveFiles(const std::string& firstPath, const std::string& secondPath);

// The same over any two sources (files or memory); `name` is what the
// outcome calls the archive.
struct NamedSource {
    std::string name;
    std::unique_ptr<ByteSource> bytes;
};
ArchiveDiffOutcome DiffArchives(NamedSource first, NamedSource second);

// The first of the sets at `setPaths` whose merge into the base at
// `basePath` the archive at `mergedPath` holds: the base's entries, matched
// by tag and name, each with the data of the set's entry of that tag and
// name where the set has one and the base's data otherwise (order, header
// and opaque bytes aside). Set entries the base lacks are not looked for:
// the merge leaves them out too. Nothing when no set fits, or the base or
// the merged archive fails CheckArchive (a set that fails it never fits).
[[nodiscard]] std::optional<std::size_t> FindMergedSet(const std::string& basePath,
                                                       const std::vector<std::string>& setPaths,
                                                       const std::string& mergedPath);

}  // namespace tamsiro
