#pragma once

namespace tamsiro {

class AppContext;
class Stick;

// The base archive DATA_BASEMIND3.ODA in the program folder is the pristine
// copy every Main install is rebuilt from. Copies it from the stick's
// DYNAUDIO.ODA the first time; afterwards only confirms it is there.
// True when the base archive exists at return.
[[nodiscard]] bool EnsureBaseArchive(AppContext& context, const Stick& stick);

}  // namespace tamsiro
