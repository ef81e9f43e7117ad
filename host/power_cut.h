#pragma once

namespace tamsiro {

// Resets the machine at once, as a pulled plug would: nothing the host
// still holds in its caches reaches a device. Linux only (sysrq "b", which
// needs root); returns where the host cannot do it.
void CutPower();

}  // namespace tamsiro
