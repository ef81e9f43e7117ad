#pragma once

#include "stick/config_rewrite.h"

#include <string>
#include <string_view>

namespace tamsiro {

class Stick;

// The mode file with the custom voice switched on, over decoded text:
// "1 BASIC" and "1 USER" become 0, "0 VOICE" becomes 1; every other line is
// unchanged.
std::string WithVoiceMode(std::string_view decoded);

// The stick's MCUS.CFG switched to the custom voice.
[[nodiscard]] PlannedConfig PlanModeFlags(const Stick& stick);

}  // namespace tamsiro
