#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

// The one root among `roots` that holds a robot stick (an "OPEN-R" folder
// and a "memstick.ind" file, names matched without regard to case); nothing
// when none does, or when several do and the user has to pick.
std::optional<std::string> FindStickRoot(const std::vector<std::string>& roots);

// FindStickRoot over the host's candidate roots.
std::optional<std::string> FindInsertedStick();

}  // namespace tamsiro
