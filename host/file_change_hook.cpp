#include "host/file_change_hook.h"

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

}  // namespace

void BeforeFileChange() {
    ++changes;
    // _Exit skips destructors, atexit handlers and stdio flushes, as a
    // crash or a pulled plug would.
    if (changes == CrashPoint()) std::_Exit(86);
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
