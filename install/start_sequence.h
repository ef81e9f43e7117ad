#pragma once

#include "catalogue/sound_catalogue.h"
#include "stick/stick.h"

#include <optional>

namespace tamsiro {

class AppContext;

// What a good start hands the dialog: the stick it accepted and the rows
// whose data files are there (the others are shown disabled).
struct DialogStart {
    Stick stick;
    RowAvailability rows;
};

// The selection dialog's start: choose and check the stick, secure the base
// archive, then find which rows can be chosen, each row standing for the set
// its file label names. Runs before the dialog takes input. When a step
// fails, or no row is available, the dialog is ended with the cancel result
// (after that step's messages) and nothing is returned.
[[nodiscard]] std::optional<DialogStart> RunStartSequence(AppContext& context,
                                                          const RowFileLabels& labels = CatalogueFileLabels());

// Its first two steps, which the command line runs too: choose and check
// the stick, then secure the base archive. Nothing after that step's
// messages.
[[nodiscard]] std::optional<Stick> PrepareStick(AppContext& context);

}  // namespace tamsiro
