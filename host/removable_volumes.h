#pragma once

#include <string>
#include <vector>

namespace tamsiro {

// Folders where this host mounts removable media: the mount points under
// /media, /run/media and /mnt on Linux and the BSDs, /Volumes on macOS, the
// removable drives that hold a medium on Windows. Each is a root that may
// hold a stick; none is checked.
std::vector<std::string> CandidateVolumeRoots();

}  // namespace tamsiro
