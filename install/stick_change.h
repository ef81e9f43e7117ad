#pragma once

#include "stick/stick_lock.h"
#include "stick/stick_transaction.h"

#include <optional>

namespace tamsiro {

class AppContext;
class Stick;

// The sequence every command that changes a stick goes through, written
// once: take the stick and the program folder (no other Tamsiro on them),
// put in order what a change cut short left, and make sure the stick takes
// writes; later, keep what the plan touches with its journal and carry it
// out. Each step says why where it stops; the commands word the outcome.

// The first steps. The lock is held for as long as `lock` lives.
[[nodiscard]] bool OpenStickForChange(AppContext& context, const Stick& stick, StickLock& lock);

// The last ones, for a plan that fits: nothing when the keep step stopped
// it (said), else what the carry did.
[[nodiscard]] std::optional<CarryOutcome> KeepAndCarry(AppContext& context, const Stick& stick, StickPlan plan,
                                                       const Room& room);

}  // namespace tamsiro
