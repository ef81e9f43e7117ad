#pragma once

#include <string>

namespace tamsiro {

// Full path of the running executable, or empty when the host won't say.
std::string RunningExecutablePath();

// Drive and directory of the executable without a trailing separator:
// "C:\Sounds" for "C:\Sounds\Tamsiro.exe", and just "C:" at a drive root.
std::string ProgramFolderOf(const std::string& executablePath);

}  // namespace tamsiro
