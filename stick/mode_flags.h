#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

class AppContext;
class Stick;

// The mode file with the custom voice switched on, over decoded text:
// "1 BASIC" and "1 USER" become 0, "0 VOICE" becomes 1; every other line is
// unchanged.
std::string WithVoiceMode(std::string_view decoded);

// Rewrites the stick's MCUS.CFG so the robot uses the custom voice; the
// previous file is kept as MCUS.BAK.
[[nodiscard]] bool RewriteModeFlags(AppContext& context, const Stick& stick);

}  // namespace tamsiro
