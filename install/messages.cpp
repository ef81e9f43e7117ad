#include "install/messages.h"

#include "stick/stick_hazard.h"

namespace tamsiro {

std::string NotEnoughSpaceMessage(std::uint64_t missingBytes) {
    return "Not enough space on memory stick - nothing was changed\n" + std::to_string((missingBytes + 1023) / 1024) +
           " KB more space is needed";
}

std::string StickHazardMessage(const StickHazard& hazard) {
    if (hazard.kind == StickHazard::Kind::Link) {
        return hazard.path + " is a link\nTamsiro does not follow links on a memory stick - nothing was changed";
    }
    return hazard.path + " is not a regular file (a FIFO, device or socket)\nTamsiro reads only regular files - nothing was changed";
}

}  // namespace tamsiro
