#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro {

class Stick;

// How a stick stands while Tamsiro changes or repairs it. A change stops at
// once, leaving its journal for the next start, when the stick is no longer
// Writable: a rollback on a file system the host has turned read-only, or on
// a stick that was pulled out, could only fail part-way.
enum class StickCondition {
    Writable,
    ReadOnly,  // write-protected, or turned read-only by the host (damage)
    Gone,      // its root folder is no longer there
};
[[nodiscard]] StickCondition ConditionOf(const Stick& stick);

// The FAT's clusters disagree with the files (lost or claimed twice): what
// a cut inside a flush leaves. False where this cannot be told.
[[nodiscard]] bool ClustersDisagree(const Stick& stick);

// Files a file-system check saved in the stick's root (FSCK0000.REC, ...)
// from clusters no file owned, and their bytes.
struct RecoveredFiles {
    std::vector<std::string> paths;  // host paths
    std::uint64_t bytes = 0;
};
[[nodiscard]] RecoveredFiles RecoveredFilesOn(const Stick& stick);

}  // namespace tamsiro
