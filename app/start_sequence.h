#pragma once

namespace tamsiro {

class AppContext;

// The selection dialog's start: choose and check the stick, secure the base
// archive, then disable the choices whose data files are missing. Runs
// before the dialog takes input. When a step fails the dialog is ended with
// the cancel result (after that step's messages) and false is returned.
[[nodiscard]] bool RunStartSequence(AppContext& context);

}  // namespace tamsiro
