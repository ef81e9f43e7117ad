#pragma once

#include "host/host_lock.h"

namespace tamsiro {

class AppContext;
class Stick;

// One Tamsiro at a time on a stick and on a program folder: operating-system
// locks on TAMSIRO.LCK in the program folder and on the stick's own
// memstick.ind (opened for reading only: nothing is written onto the
// stick). They end with the process, so they never go stale.
class StickLock {
public:
    // False when another process holds either lock.
    [[nodiscard]] bool Take(const AppContext& context, const Stick& stick);

private:
    HostLock programFolder_;
    HostLock stick_;
};

}  // namespace tamsiro
