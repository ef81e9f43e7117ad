#include "host/file_change_hook.h"

#include "host/power_cut.h"

#include <cstdlib>

namespace tamsiro {

namespace {

unsigned long changes = 0;
FileChangeRecorder* recorder = nullptr;

unsigned long CrashPoint() {
    static const unsigned long point = [] {
        const char* text = std::getenv("TAMSIRO_CRASH_AT");
        return text ? std::strtoul(text, nullptr, 10) : 0UL;
    }();
    return point;
}

// TAMSIRO_CRASH_MODE=power: the crash point cuts the machine's power
// instead, so that what the host had not yet written is lost as well.
bool CutsPower() {
    static const bool power = [] {
        const char* mode = std::getenv("TAMSIRO_CRASH_MODE");
        return mode && std::string(mode) == "power";
    }();
    return power;
}

}  // namespace

void BeforeFileChange() {
    ++changes;
    // _Exit skips destructors, atexit handlers and stdio flushes, as a
    // crash or a pulled plug would.
    if (changes != CrashPoint()) return;
    if (CutsPower()) CutPower();
    std::_Exit(86);
}

void BeforeFileChange(FileOperation operation, const std::string& path, const std::string& target,
                      unsigned long long bytes) {
    BeforeFileChange();
    if (recorder) recorder->changes_.push_back({operation, path, target, bytes});
}

unsigned long FileChangesSoFar() { return changes; }

FileChangeRecorder::FileChangeRecorder() { recorder = this; }

FileChangeRecorder::~FileChangeRecorder() {
    if (recorder == this) recorder = nullptr;
}

}  // namespace tamsiro
