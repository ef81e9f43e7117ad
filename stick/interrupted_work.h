#pragma once

#include "stick/stick_rollback.h"

namespace tamsiro {

class AppContext;
class Stick;

// Puts the stick and the program folder in order after a Save, a Restore
// or a base backup that was cut short (a crash, a pulled plug), so that no
// temporary file ever counts as the real one:
// - a change whose journal names this stick is undone from the bytes it
//   kept, the safe way (stick/stick_rollback.h);
// - what a change no journal here knows of left (one made from another
//   program folder): a write step that had not finished writing is undone,
//   one whose files were all whole and checked is finished
//   (stick/stick_writer.h); a configuration rotation caught between its
//   renames gets its .CFG back from the .BAK, and .TMP files go; a file
//   set aside goes back under its name unless its new file has taken it;
// - half-made copies in the program folder go: DATA_BASEMIND3.ODA.partial,
//   stock copies being made, and a TMP.ODA that is not a whole archive (a
//   whole one is what MANUAL.BAT copies, so it stays).
// Nothing on the stick changes when there is nothing to tidy, or when it
// cannot be done without making things worse: the outcome says why, and a
// journal stays for the next start.
struct TidyOutcome {
    RollbackOutcome stick;           // Done when the stick is in order
    bool repaired = false;           // a change cut short was undone
    bool otherStickPending = false;  // the journal is another stick's, left alone
    bool journalUnreadable = false;  // TAMSIRO.JNL cannot be read: nothing was done
};
[[nodiscard]] TidyOutcome TidyAfterInterruption(AppContext& context, const Stick& stick,
                                                const RollbackOptions& options = {});

}  // namespace tamsiro
