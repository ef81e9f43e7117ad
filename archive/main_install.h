#pragma once

#include <string>

namespace tamsiro {

class AppContext;
class Stick;

// Merges the chosen Main set (an archive at selectedPath) into a copy of the
// base archive DATA_BASEMIND3.ODA, writing the work archive TMP.ODA in the
// program folder, and installs it on the stick as
// OPEN-R\MW\DATA\P\DYNAUDIO.ODA. Every failure is reported to the user
// before false is returned.
[[nodiscard]] bool InstallMain(AppContext& context, const Stick& stick, const std::string& selectedPath);

}  // namespace tamsiro
