#pragma once

#include "app/progress.h"

namespace tamsiro {

class AppContext;

// The words of every long step the core reports (see ProgressStep).
const ProgressWords& InstallWords();

// Hands them to the context; every command does so before it starts.
void UseInstallWords(AppContext& context);

}  // namespace tamsiro
