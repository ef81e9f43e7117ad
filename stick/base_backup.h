#pragma once

namespace tamsiro {

class AppContext;
class Stick;
struct StickRecord;

// A stick's base archive (DATA_BASEMIND3.ODA in the program folder for the
// first stick, see stick_record.h) is the pristine copy every Main install
// is rebuilt from. Writes the stick's record if it is not written yet, and
// copies the stick's DYNAUDIO.ODA to the base the first time; afterwards
// only confirms it is there. True when the base archive exists at return.
[[nodiscard]] bool EnsureBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record);
// With the stick's own record, as it is.
[[nodiscard]] bool EnsureBaseArchive(AppContext& context, const Stick& stick);

}  // namespace tamsiro
