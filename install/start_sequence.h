#pragma once

#include "stick/stick.h"

#include <optional>

namespace tamsiro {

class AppContext;

// The selection dialog's start: choose and check the stick, secure the base
// archive, then disable the choices whose data files are missing. Runs
// before the dialog takes input. Returns the stick it accepted; when a step
// fails the dialog is ended with the cancel result (after that step's
// messages) and nothing is returned.
[[nodiscard]] std::optional<Stick> RunStartSequence(AppContext& context);

// Its first two steps, which the command line runs too: choose and check
// the stick, then secure the base archive. Nothing after that step's
// messages.
[[nodiscard]] std::optional<Stick> PrepareStick(AppContext& context);

}  // namespace tamsiro
