#include "app/busy_cursor.h"

#include "app/user_interface.h"

namespace tamsiro {

void BusyCursor::Begin() {
    ++depth_;
    ui_.ShowBusyCursor(true);
}

void BusyCursor::End() {
    if (--depth_ <= 0) {
        depth_ = 0;
        ui_.ShowBusyCursor(false);
    }
}

}  // namespace tamsiro
