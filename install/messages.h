#pragma once

#include <cstdint>
#include <string>

namespace tamsiro {

// What the user is told when a plan does not fit on the stick.
std::string NotEnoughSpaceMessage(std::uint64_t missingBytes);

}  // namespace tamsiro
