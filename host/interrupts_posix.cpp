// Interrupts held back on POSIX hosts: SIGINT, SIGTERM and SIGHUP are
// caught while a scope lives.
#include "host/interrupts.h"

#include <csignal>

#include <array>

namespace tamsiro {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t pending = 0;
volatile std::sig_atomic_t lastSignal = 0;
int depth = 0;
std::array<struct sigaction, kSignals.size()> previous{};

extern "C" void NoteInterrupt(int signal) {
    pending = 1;
    lastSignal = signal;
}

}  // namespace

InterruptScope::InterruptScope() {
    if (depth++ > 0) return;
    pending = 0;
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        // An interrupt the caller chose to ignore stays ignored.
        if (::sigaction(kSignals[i], nullptr, &previous[i]) == 0 && previous[i].sa_handler == SIG_IGN) continue;
        (void)::sigaction(kSignals[i], &action, nullptr);
    }
}

InterruptScope::~InterruptScope() {
    if (--depth > 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) (void)::sigaction(kSignals[i], &previous[i], nullptr);
    pending = 0;
}

bool InterruptRequested() { return depth > 0 && pending != 0; }

int HeldBackInterrupt() { return lastSignal; }

}  // namespace tamsiro
