#pragma once

namespace tamsiro {

class AppContext;
class Stick;

// Puts the stick and the program folder in order after a Save, a Restore
// or a base backup that was cut short (a crash, a pulled plug), so that no
// temporary file ever counts as the real one:
// - a write step that had not finished writing is undone, one whose files
//   were all whole and checked is finished (stick/stick_writer.h);
// - a configuration rotation caught between its renames gets its .CFG back
//   from the .BAK, and .TMP files go;
// - a stick transaction whose journal is still there is undone from the
//   bytes it kept (stick/stick_transaction.h);
// - half-made copies in the program folder go: DATA_BASEMIND3.ODA.partial,
//   stock copies being made, and a TMP.ODA that is not a whole archive (a
//   whole one is what MANUAL.BAT copies, so it stays).
// Does nothing when there is nothing to tidy.
void TidyAfterInterruption(AppContext& context, const Stick& stick);

}  // namespace tamsiro
