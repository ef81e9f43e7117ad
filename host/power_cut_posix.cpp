// POSIX body of CutPower: Linux's magic SysRq reset; other hosts have no
// such switch.
#include "host/power_cut.h"

#include <fcntl.h>
#include <unistd.h>

namespace tamsiro {

void CutPower() {
#if defined(__linux__)
    const int trigger = ::open("/proc/sysrq-trigger", O_WRONLY | O_CLOEXEC);
    if (trigger < 0) return;
    // "b" reboots without syncing or unmounting; the write does not return.
    (void)::write(trigger, "b", 1);
    ::close(trigger);
#endif
}

}  // namespace tamsiro
