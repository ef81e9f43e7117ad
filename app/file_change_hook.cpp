#include "app/file_change_hook.h"

#include <cstdlib>

namespace tamsiro {

namespace {

unsigned long changes = 0;

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

unsigned long FileChangesSoFar() { return changes; }

}  // namespace tamsiro
