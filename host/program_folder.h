#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// Full path of the running executable, or empty when the host won't say or
// the path could not be read whole. A front end must then refuse to start:
// an empty program folder would put the backup and the work files at the
// root of the current drive.
std::string RunningExecutablePath();

// Drive and directory of the executable without a trailing separator:
// "C:\Sounds" for "C:\Sounds\Tamsiro.exe", and just "C:" at a drive root.
std::string ProgramFolderOf(const std::string& executablePath);

// The folder in the user's home that holds the data files when the
// executable's own folder is not the user's to fill.
inline constexpr std::string_view kHomeProgramFolderName = "Tamsiro";

// The program folder a front end uses unless told otherwise, for the
// executable at `executablePath`: the executable's own folder (a portable
// copy keeps its sound sets beside it). On POSIX hosts a program installed
// into a system folder (the Linux package's /usr/bin) or into one the user
// cannot write to uses $HOME/Tamsiro instead, even when run as root: the
// package manager owns the system folders, and files left there would
// outlive the package. The folder is not made here; see MakeFolders.
// Empty when there is none (no executable path, no home to fall back to):
// the front end must then refuse to start.
std::string DefaultProgramFolderFor(const std::string& executablePath);

// The same for the running executable.
std::string DefaultProgramFolder();

}  // namespace tamsiro
