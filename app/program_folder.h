#pragma once

#include <string>

namespace tamsiro {

// Full path of the running executable, or empty when the host won't say or
// the path could not be read whole. A front end must then refuse to start:
// an empty program folder would put the backup and the work files at the
// root of the current drive.
std::string RunningExecutablePath();

// Drive and directory of the executable without a trailing separator:
// "C:\Sounds" for "C:\Sounds\Tamsiro.exe", and just "C:" at a drive root.
std::string ProgramFolderOf(const std::string& executablePath);

}  // namespace tamsiro
