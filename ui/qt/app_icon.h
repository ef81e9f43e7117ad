#pragma once

#include <QIcon>
#include <QImage>

#include <array>

namespace tamsiro::qt {

// The sizes the icon is offered at (window managers, the desktop's icon
// theme); it paints sharp at any other size too.
inline constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// Tamsiro's own icon: a loudspeaker sending sound waves from a memory
// stick. Drawn in code at whatever pixel size is asked for, so it stays
// sharp at every size and device pixel ratio.
QIcon ApplicationIcon();

// One image of the icon, `size` pixels square. Needs no application
// object, so build tools can render it.
QImage ApplicationIconImage(int size);

}  // namespace tamsiro::qt
