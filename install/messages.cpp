#include "install/messages.h"

namespace tamsiro {

std::string NotEnoughSpaceMessage(std::uint64_t missingBytes) {
    return "Not enough space on memory stick - nothing was changed\n" + std::to_string((missingBytes + 1023) / 1024) +
           " KB more space is needed";
}

}  // namespace tamsiro
