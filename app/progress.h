#pragma once

#include "app/user_interface.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tamsiro {

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
