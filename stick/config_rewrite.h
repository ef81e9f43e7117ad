#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tamsiro {

class Stick;

// What stops a configuration file from being rewritten, found before
// anything on the stick changes.
enum class ConfigProblem {
    None,
    Missing,    // the .CFG cannot be read
    BadFormat,  // its shape is not the one the rewrite expects
};

// The new content of a stick configuration file, worked out in memory.
struct PlannedConfig {
    std::string stem;   // e.g. "OPEN-R\MW\DATA\P\MCUS"
    std::string bytes;  // encoded as the stick keeps it
    ConfigProblem problem = ConfigProblem::None;
};

// What a transform made of the decoded file: the new text, and whether the
// input had the shape it expects.
struct TransformedConfig {
    std::string text;
    bool wellFormed = true;
};

using ConfigTransform = std::function<TransformedConfig(std::string_view decoded)>;

// Reads `stem`.CFG and transforms it. The stick is not touched: the new
// file is written, beside and rotated, by the stick transaction.
[[nodiscard]] PlannedConfig PlanStickConfig(const Stick& stick, std::string_view stem,
                                            const ConfigTransform& transform);

}  // namespace tamsiro
