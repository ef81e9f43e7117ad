#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// Host file operations with the behaviour the installer relies on on every
// host (the Windows semantics of CopyFile, MoveFile and DeleteFile).
// Paths are host paths; stick paths are mapped first (see stick_path.h).

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

enum class CopyMode { FailIfExists, Overwrite };

// True when the path names a file (not a directory) that opens for binary
// reading.
bool FileExists(const std::string& path);

// Copies a whole file. FailIfExists refuses any existing target. A failed
// copy removes what it had written, so no partial target is left behind.
bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode);

// Renames a file; fails when anything already exists at the target.
bool RenameFile(const std::string& from, const std::string& to);

// Deletes a file; never removes a directory.
bool DeleteFileAt(const std::string& path);

bool ChangeCurrentDirectory(const std::string& path);
std::string CurrentDirectory();

// Resolves a relative path against the current directory.
std::string FullPathOf(const std::string& path);

// Drive and directory of a file path, keeping the trailing separator
// ("C:\Sounds\" of "C:\Sounds\Tamsiro.exe"); empty when it has none.
std::string FolderOf(const std::string& filePath);

// The name in `folder` that `name` denotes: itself when it exists as
// written, else the first entry equal to it without regard to ASCII case,
// else `name` unchanged (for files about to be created).
std::string MatchNameInFolder(const std::string& folder, std::string_view name);

}  // namespace tamsiro
