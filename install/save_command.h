#pragma once

namespace tamsiro {

class AppContext;

// The Save button: installs the chosen Main, Games and Talkative Voice sets
// in that order and rewrites the stick's configuration for a voice. Stops
// at the first failure with the dialog left open; after a complete run it
// says "New audio saved" and ends the dialog with the OK result.
void OnSave(AppContext& context);

}  // namespace tamsiro
