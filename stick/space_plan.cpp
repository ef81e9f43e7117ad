#include "stick/space_plan.h"

namespace tamsiro {

SpacePlan PlanSpace(const std::vector<SpaceStep>& steps, std::uint64_t freeBytes, std::uint64_t allocationUnit) {
    const std::uint64_t unit = allocationUnit == 0 ? 1 : allocationUnit;
    auto rounded = [unit](std::uint64_t size) { return (size + unit - 1) / unit * unit; };

    SpacePlan plan;
    std::uint64_t available = freeBytes;
    std::uint64_t missing = 0;
    for (const SpaceStep& step : steps) {
        std::uint64_t needed = 0;
        std::uint64_t freed = 0;
        for (const SpaceFile& file : step.files) {
            if (!file.removes) needed += rounded(file.newSize);
            freed += rounded(file.oldSize);
        }
        if (available >= needed) {
            plan.beside.push_back(true);
            available = available - needed + freed;
            continue;
        }
        plan.beside.push_back(false);
        if (step.besideOnly) {
            missing += needed - available;
            available = freed;
            continue;
        }
        // Old file out, new file in, one file at a time.
        for (const SpaceFile& file : step.files) {
            available += rounded(file.oldSize);
            const std::uint64_t need = file.removes ? 0 : rounded(file.newSize);
            if (available < need) {
                missing += need - available;
                available = 0;
            } else {
                available -= need;
            }
        }
    }
    plan.missingBytes = missing;
    return plan;
}

}  // namespace tamsiro
