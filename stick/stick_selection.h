#pragma once

namespace tamsiro {

class AppContext;

// Asks for the stick's marker file until a folder holding "memstick.ind"
// with AiboMind 3 (English) and its sound archive is chosen, and makes that
// folder the current directory: every stick path is relative to it from
// then on. False when the user cancelled the chooser.
bool SelectStick(AppContext& context);

}  // namespace tamsiro
