#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

// The names of the files (not folders) in `folder`, or nothing when the
// folder could not be listed to its end. Unlike FileNamesIn, a failure is
// never mistaken for an empty folder: a name missing from a listing that
// succeeded is provably absent.
[[nodiscard]] std::optional<std::vector<std::string>> ListFileNames(const std::string& folder);

// Whether `folder` provably does not exist: its parent lists completely and
// holds no entry of that name (in any case). False when it exists or when
// that cannot be told.
[[nodiscard]] bool FolderProvablyAbsent(const std::string& folder);

}  // namespace tamsiro
