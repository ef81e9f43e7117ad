#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// The full host path of `relativePath` (components separated by
// backslashes, as on Windows) under the folder `root`, or empty when it
// cannot be formed (too long for the host). Each component that exists is
// found without regard to case; one that does not exist yet keeps its
// literal name.
std::string ResolveRelativePath(const std::string& root, std::string_view relativePath);

}  // namespace tamsiro
