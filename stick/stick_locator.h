#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

// Every root among `roots` that holds a robot stick (an "OPEN-R" folder and
// a "memstick.ind" file, names matched without regard to case), in their
// order.
std::vector<std::string> FindStickRoots(const std::vector<std::string>& roots);

// Where the stick chooser opens: the one stick's root, the folder that
// holds all of them when several are mounted (/media/$USER), or nothing
// when no stick is mounted.
std::optional<std::string> ChooserStartFolder(const std::vector<std::string>& stickRoots);

}  // namespace tamsiro
