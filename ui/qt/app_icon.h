#pragma once

#include <QIcon>
#include <QPixmap>

namespace tamsiro::qt {

// Tamsiro's own icon: a loudspeaker sending sound waves from a memory
// stick. Drawn in code so it stays sharp at every size and device pixel
// ratio; sizes from 16 to 256 pixels are provided.
QIcon ApplicationIcon();

// One image of the icon, `size` pixels square.
QPixmap ApplicationIconPixmap(int size);

}  // namespace tamsiro::qt
