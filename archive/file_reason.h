#pragma once

#include <string>

namespace tamsiro {

// Why a file operation failed, as the host words it ("No such file or
// directory", "Permission denied", "No space left on device"), from the
// errno it left. Callers clear errno before the operation: 0 means the
// operation failed without one.
std::string ReasonText(int error);

// Why `path` did not open for reading: the errno the open left, or else
// what stands at the path (a folder, a device, nothing at all), since
// refusing a folder or a FIFO leaves no errno.
std::string WhyNotReadable(const std::string& path, int error);

}  // namespace tamsiro
