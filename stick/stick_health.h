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

// How the FAT's clusters agree with the files on the stick: what a cut
// inside a flush leaves. Claimed: files claim clusters the FAT calls free,
// which the next file written may be given too; a change must not start.
// Lost: the FAT calls clusters used that no file owns, which only costs
// room. None also where this cannot be told.
enum class ClusterVerdict { Agree, Lost, Claimed };
[[nodiscard]] ClusterVerdict CheckClusters(const Stick& stick);
// Either way.
[[nodiscard]] bool ClustersDisagree(const Stick& stick);

// Files a file-system check saved in the stick's root (FSCK0000.REC, ...)
// from clusters no file owned, and their bytes.
struct RecoveredFiles {
    std::vector<std::string> paths;  // host paths
    std::uint64_t bytes = 0;
};
[[nodiscard]] RecoveredFiles RecoveredFilesOn(const Stick& stick);

}  // namespace tamsiro
