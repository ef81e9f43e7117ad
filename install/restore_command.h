#pragma once

namespace tamsiro {

class AppContext;
class Stick;

// "Restore stock sounds": puts the stick back the way it was before
// Tamsiro first changed it. DYNAUDIO.ODA comes back from the base archive
// DATA_BASEMIND3.ODA, every file a Save kept in DATA_BASEMIND3.FILES comes
// back byte for byte, and the files that were not on the stick then
// (CUSVOICE.ODA, the .BAK files of the configuration rotation) are removed,
// as are Tamsiro's leftover temporary files. Every file is written the
// safe way (space plan, beside, flush, verify, replace).
//
// Asks first (default No). Ends with "Stock sounds restored", naming any
// file it could not restore; the others are restored all the same. True
// only when the stick is back to stock in full; false when the user
// declined, nothing fitted, or a file could not be restored.
[[nodiscard]] bool RestoreStockSounds(AppContext& context, const Stick& stick);

// Puts the base archive DATA_BASEMIND3.ODA back on the stick as
// DYNAUDIO.ODA, the same safe way (beside the old one when there is room,
// else in its place). Every failure is shown before false is returned. The
// caller holds the stick's lock.
[[nodiscard]] bool RepairSoundArchive(AppContext& context, const Stick& stick);

}  // namespace tamsiro
