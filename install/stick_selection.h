#pragma once

#include "stick/stick.h"

#include <optional>

namespace tamsiro {

class AppContext;

// Asks for the stick's marker file until a folder holding "memstick.ind"
// with AiboMind 3 (English) and its sound archive is chosen. Nothing when
// the user cancelled the chooser.
[[nodiscard]] std::optional<Stick> SelectStick(AppContext& context);

}  // namespace tamsiro
