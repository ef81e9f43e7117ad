#pragma once

#include <cstdint>
#include <string>

namespace tamsiro {

struct StickHazard;

// What the user is told when a plan does not fit on the stick.
std::string NotEnoughSpaceMessage(std::uint64_t missingBytes);

// Why a stick with a link or a special file in the way is refused.
std::string StickHazardMessage(const StickHazard& hazard);

}  // namespace tamsiro
