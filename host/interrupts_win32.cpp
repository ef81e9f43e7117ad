// Interrupts held back on Windows: a console's Ctrl-C and Ctrl-Break are
// noted while a scope lives. A closing console ends the process once its
// handler returns, so the handler waits, a few seconds at most, for the
// scope to end first.
#include "host/interrupts.h"

#include <windows.h>

#include <atomic>

namespace tamsiro {

namespace {

std::atomic<bool> pending{false};
std::atomic<int> lastInterrupt{0};
std::atomic<int> depth{0};

BOOL WINAPI NoteInterrupt(DWORD event) {
    if (depth.load() == 0) return FALSE;
    pending = true;
    lastInterrupt = 2;  // as SIGINT
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    // The system allows a closing console about five seconds.
    for (int waited = 0; depth.load() > 0 && waited < 4500; waited += 50) ::Sleep(50);
    return FALSE;
}

}  // namespace

InterruptScope::InterruptScope() {
    if (depth++ > 0) return;
    pending = false;
    (void)::SetConsoleCtrlHandler(NoteInterrupt, TRUE);
}

InterruptScope::~InterruptScope() {
    if (--depth > 0) return;
    (void)::SetConsoleCtrlHandler(NoteInterrupt, FALSE);
    pending = false;
}

bool InterruptRequested() { return depth.load() > 0 && pending.load(); }

int HeldBackInterrupt() { return lastInterrupt.load(); }

}  // namespace tamsiro
