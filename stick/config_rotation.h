#pragma once

#include "host/failure.h"

#include <string>
#include <string_view>

namespace tamsiro {

class Stick;

// Swaps a freshly written X.TMP in for X.CFG, keeping the previous X.CFG as
// X.BAK (host paths). An old X.BAK is deleted first. If X.TMP cannot take
// X.CFG's place, X.BAK is renamed back so the stick keeps its configuration.
// True when the new file is in place.
[[nodiscard]] bool RotateConfigFiles(const std::string& tmpPath, const std::string& cfgPath, const std::string& bakPath,
                                     Failure* failure = nullptr);

// After a rotation of the stick configuration file `stem` was cut short
// between its two renames (X.CFG gone, X.BAK there), puts X.BAK back as
// X.CFG: the stick keeps the configuration it had. A leftover X.TMP, which
// never counts as the real file, is removed either way.
void RepairInterruptedRotation(const Stick& stick, std::string_view stem);

}  // namespace tamsiro
