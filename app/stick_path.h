#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// Stick paths are written as the stick's software knows them: relative to
// the stick root (the current directory once a stick is chosen), with
// backslashes, e.g. "OPEN-R\MW\DATA\P\DYNAUDIO.ODA".
//
// Returns the full host path. Each component that exists is found without
// regard to case (a stick copied to a case-sensitive folder keeps working);
// a component that does not exist yet keeps its literal name.
std::string ResolveStickPath(std::string_view stickPath);

}  // namespace tamsiro
