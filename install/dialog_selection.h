#pragma once

#include "catalogue/sound_catalogue.h"

#include <string>
#include <string_view>

namespace tamsiro {

class AppContext;

// The selection dialog read through the front end's controls, by their
// identifiers (see SoundCategory::firstId).

// Full path of DATA_{prefix}_{label}.ODA in the program folder, the label
// being the control's current text (at most 63 characters) cut at its
// first blank.
std::string DataFileFor(AppContext& context, int controlId, std::string_view prefix);

// The file label of a control's current text (see DataFileFor).
std::string ControlFileLabel(AppContext& context, int controlId);

// Identifier of the first checked button from firstId to lastId, or 0.
int SelectionOf(AppContext& context, int firstId, int lastId);

// Disables every choice whose data files are missing; returns how many
// choices are available (0 to 18).
int ScanAvailability(AppContext& context);

}  // namespace tamsiro
