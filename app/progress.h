#pragma once

#include "app/user_interface.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamsiro {

// The long steps the core reports. The words for each are the commands'
// (install/ hands them to the context, see AppContext::UseProgressWords);
// the layers below name the step and the file.
enum class ProgressStep {
    CopyingToStick,         // a file of a change, beside its target
    RestoringOnStick,       // a file put back as it was
    WritingToStick,         // the flush after a copy to the stick
    CheckingOnStick,        // a stick file read back past the cache
    KeepingInFolder,        // a stick file's bytes kept for one change
    KeepingStockInFolder,   // a stock file kept for good
    BackingUpBase,          // DYNAUDIO.ODA copied to the base archive
    WritingToFolder,        // the flush after a copy to Tamsiro's folder
    CheckingInFolder,       // a copy in Tamsiro's folder read back
    CheckingStockInFolder,  // a kept stock file read back
    CheckingBackup,         // the base archive read back
};

class ProgressWords {
public:
    virtual ~ProgressWords() = default;
    // The caption for a step on a file (its name as the stick or the folder
    // spells it; empty for steps that name none).
    virtual std::string Caption(ProgressStep step, std::string_view fileName) const = 0;
};

// Reports a long step's progress to the front end, a few times a second at
// most, and tells it when the step is over (at the end of the scope).
class ProgressMeter {
public:
    ProgressMeter(UserInterface& ui, std::string step, std::uint64_t total);
    ~ProgressMeter() { ui_.EndProgress(); }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    void Advance(std::uint64_t bytes);
    // The same step goes on with other work, such as the flush after a
    // copy: a new text and total, reported at once, so that the window
    // never stands at 100% meanwhile. A total of 0 is of unknown length.
    void StartPhase(std::string step, std::uint64_t total);

private:
    UserInterface& ui_;
    ProgressReport report_;
    std::chrono::steady_clock::time_point lastReport_;
};

}  // namespace tamsiro
