#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tamsiro {

// One file a Save puts on the stick, or takes off it.
struct SpaceFile {
    std::uint64_t newSize = 0;  // bytes written; 0 with `removes`
    std::uint64_t oldSize = 0;  // bytes of the file it replaces or removes (0: none there)
    bool removes = false;       // a deletion
};

// The files of one step, which change together (the two Games files).
struct SpaceStep {
    std::vector<SpaceFile> files;
    // Configuration files are always written beside: their rotation needs
    // the new file and the old one at once.
    bool besideOnly = false;
};

// How each step is to be written, or how much space is missing.
struct SpacePlan {
    // Per step: true to write beside the old files and then replace them,
    // false to delete the old files first (no room for both).
    std::vector<bool> beside;
    // Bytes that would still be needed; 0 when the plan fits.
    std::uint64_t missingBytes = 0;

    bool Fits() const { return missingBytes == 0; }
};

// Plays the steps in order against the free space, every size rounded up to
// the allocation unit, counting the space each replaced or deleted file
// frees when it goes.
SpacePlan PlanSpace(const std::vector<SpaceStep>& steps, std::uint64_t freeBytes, std::uint64_t allocationUnit);

}  // namespace tamsiro
