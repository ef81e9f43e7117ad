#pragma once

#include "app/progress.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamsiro {

class AppContext;

// The words of every long step the core reports (see ProgressStep).
const ProgressWords& InstallWords();

// Hands them to the context; every command does so before it starts.
void UseInstallWords(AppContext& context);

// "Step 2 of 4: ", before the caption of a stage's work (WholeProgress).
std::string StepOf(int step, int steps);

// "3 files written and verified, 19.6 MB": what a change put on the stick.
std::string WrittenSummary(std::size_t files, std::uint64_t bytes);

}  // namespace tamsiro
