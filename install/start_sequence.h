#pragma once

#include "catalogue/sound_catalogue.h"
#include "stick/stick.h"

#include <optional>

namespace tamsiro {

class AppContext;
struct StickRecord;

// What a good start hands the dialog: the stick it accepted and the rows
// whose data files are there (the others are shown disabled).
struct DialogStart {
    Stick stick;
    RowAvailability rows;
};

// The selection dialog's start: choose and check the stick, secure the base
// archive, then find which rows can be chosen, each row standing for the set
// its file label names. Runs before the dialog takes input. When a step
// fails, or the folder holds no set at all (of the six rows or its own), the
// dialog is ended with the cancel result
// (after that step's messages) and nothing is returned.
[[nodiscard]] std::optional<DialogStart> RunStartSequence(AppContext& context,
                                                          const RowFileLabels& labels = CatalogueFileLabels());

// A stick's base archive (DATA_BASEMIND3.ODA in the program folder for the
// first stick, see stick/stick_record.h), the pristine copy every Main
// install is rebuilt from: writes the stick's record if it is not written
// yet, and copies the stick's DYNAUDIO.ODA to the base the first time,
// saying so before and after; afterwards only confirms it is there. A
// damaged base is replaced only when the user says so. True when the base
// archive is there at return.
[[nodiscard]] bool EnsureBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record);
// With the stick's own record, as it is.
[[nodiscard]] bool EnsureBaseArchive(AppContext& context, const Stick& stick);

// Its first two steps, which the command line runs too: choose and check
// the stick, then secure the base archive. Nothing after that step's
// messages.
[[nodiscard]] std::optional<Stick> PrepareStick(AppContext& context);

}  // namespace tamsiro
