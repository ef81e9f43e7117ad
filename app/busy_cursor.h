#pragma once

namespace tamsiro {

class UserInterface;

// Counted busy pointer: Begin adds one and shows it; End subtracts one and
// restores the normal pointer when the count reaches (or would pass) zero,
// so an extra End is harmless and the next Begin shows the pointer again.
class BusyCursor {
public:
    explicit BusyCursor(UserInterface& ui) : ui_(ui) {}

    void Begin();
    void End();
    int Depth() const { return depth_; }

private:
    UserInterface& ui_;
    int depth_ = 0;
};

}  // namespace tamsiro
