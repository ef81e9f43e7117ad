#pragma once

#include <string>

namespace tamsiro {

class AppContext;
class Stick;
struct StickRecord;

// "Restore stock sounds": puts the stick back the way it was before
// Tamsiro first changed it. DYNAUDIO.ODA comes back from the base archive
// DATA_BASEMIND3.ODA, every file a Save kept in DATA_BASEMIND3.FILES comes
// back byte for byte, and the files that were not on the stick then
// (CUSVOICE.ODA, the .BAK files of the configuration rotation) are removed,
// as are Tamsiro's leftover temporary files. Every file is written the
// safe way (space plan, beside, flush, verify, replace).
//
// Only from the stick's own record (stick/stick_record.h): a stick whose
// record shows no change, or that is its record's already, is told so
// before anything is asked, and nothing is touched. Else asks (default
// No), after saying what DYNAUDIO.ODA goes back to when the record's base
// is not stock. Ends with "Stock sounds restored" when the stick is its
// record's byte for byte, else with "Stock sounds not fully restored",
// naming each file it could not restore; the others are restored all the
// same.
enum class RestoreVerdict {
    Restored,      // the stick is back to stock in full
    AlreadyStock,  // there was nothing to put back
    NoRecord,      // the stick's record holds nothing to put back
    NotRestored,   // declined, busy, no room, failed, or a file could not be restored
};
[[nodiscard]] RestoreVerdict RestoreStockSounds(AppContext& context, const Stick& stick);

// Whether the stick's record holds anything to put back: kept stock files,
// a base that differs from the stick's DYNAUDIO.ODA, or files an earlier
// Tamsiro changed without keeping them (which Restore names).
[[nodiscard]] bool RecordShowsChanges(const AppContext& context, const Stick& stick, const StickRecord& record);

// What a base that was not stock puts back, in words.
std::string BaseAsFirstSeen(const StickRecord& record);

// Puts the base archive DATA_BASEMIND3.ODA back on the stick as
// DYNAUDIO.ODA, the same safe way (beside the old one when there is room,
// else in its place). Every failure is shown before false is returned. The
// caller holds the stick's lock.
[[nodiscard]] bool RepairSoundArchive(AppContext& context, const Stick& stick);

}  // namespace tamsiro
