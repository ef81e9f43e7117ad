#pragma once

namespace tamsiro {

// While one is alive, an interrupt (Ctrl-C, the terminal closing, a polite
// kill) does not end the process: it is noted, and the work that must not
// be cut short half-way stops at its next safe point and undoes itself.
// Outside one, interrupts do what they always do. Scopes nest.
class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;
};

// An interrupt came while a scope was alive, and that scope still is.
[[nodiscard]] bool InterruptRequested();

// The last interrupt a scope held back (its signal number, or 2 for a
// console's Ctrl-C on Windows), or 0 when none came.
[[nodiscard]] int HeldBackInterrupt();

}  // namespace tamsiro
