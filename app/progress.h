#pragma once

#include "app/user_interface.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    void Advance(std::uint64_t bytes);
    // The same step goes on with other work, such as the flush after a
    // copy: a new text and total, reported at once, so that the window
    // never stands at 100% meanwhile. A total of 0 is of unknown length.
    void StartPhase(std::string step, std::uint64_t total);

private:
    void Report();

    UserInterface& ui_;
    ProgressReport report_;
    std::chrono::steady_clock::time_point lastReport_;
};

// The stages of a command's long work: a Save builds the new sound archive,
// keeps the stock files, writes to the stick and checks what it wrote.
enum class ProgressStage { Building, Keeping, Writing, Checking };

// While alive, every ProgressMeter reports as part of one whole: its
// caption after the number of the stage under way ("Step 2 of 4: "), its
// bytes added to the whole's, so that one bar runs from the start of the
// command to its end. The command lists its stages and the bytes it expects
// to move (the bar's total grows where it moves more); the layers below say
// when a stage begins (BeginProgressStage).
class WholeProgress {
public:
    // `stepWords(n, count)` words the number of a stage ("Step 2 of 4: ").
    using StepWords = std::string (*)(int step, int steps);
    WholeProgress(UserInterface& ui, std::vector<ProgressStage> stages, std::uint64_t expectedBytes,
                  StepWords stepWords);
    ~WholeProgress();
    WholeProgress(const WholeProgress&) = delete;
    WholeProgress& operator=(const WholeProgress&) = delete;

private:
    friend class ProgressMeter;
    friend void BeginProgressStage(ProgressStage stage);

    UserInterface& ui_;
    std::vector<ProgressStage> stages_;
    StepWords stepWords_;
    std::size_t stage_ = 0;  // 1-based; 0 before the first
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    WholeProgress* outer_ = nullptr;
};

// The stage of the whole under way begins (nothing when there is no whole,
// or it has no such stage).
void BeginProgressStage(ProgressStage stage);

}  // namespace tamsiro
