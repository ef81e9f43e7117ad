#pragma once

#include "host/failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

// Host file operations with the behaviour the installer relies on on every
// host (the Windows semantics of CopyFile, MoveFile and DeleteFile). Paths
// are host paths; stick paths are mapped first (see stick/stick.h). The
// bodies live in file_system_posix.cpp and file_system_win32.cpp. Each
// operation that can fail says why in `*failure` when the caller passes one
// (see failure.h).

extern const char kPathSeparator;

// Whether the host runs .BAT files (Windows); elsewhere a shell script is
// what a user can run.
extern const bool kHostRunsBatchFiles;

enum class CopyMode { FailIfExists, Overwrite };

// True when the path names a file (not a directory) that opens for binary
// reading.
[[nodiscard]] bool FileExists(const std::string& path);

[[nodiscard]] bool IsFolder(const std::string& path);

// What is at a path, a link itself rather than what it points to. Special
// is anything that is neither a file nor a folder: a FIFO, a device, a
// socket. A link is a symbolic link or, on Windows, any reparse point (a
// junction too).
enum class PathKind { Missing, File, Folder, Link, Special };
[[nodiscard]] PathKind KindAt(const std::string& path);

// The first link on the way from `root` down to `path` (a path under it
// as JoinPath builds them), `path` itself included and `root` left out, or
// nothing.
[[nodiscard]] std::optional<std::string> FirstLinkBelow(const std::string& root, const std::string& path);

// Size in bytes of the file at `path`, or nothing.
[[nodiscard]] std::optional<std::uint64_t> FileSizeAt(const std::string& path);

// Copies a whole file. FailIfExists refuses any existing target. A failed
// copy removes what it had written, so no partial target is left behind.
// With `durable`, the copy is on the device (flushed) before it reports
// success.
[[nodiscard]] bool CopyWholeFile(const std::string& from, const std::string& to, CopyMode mode, bool durable = false,
                                 Failure* failure = nullptr);

// Renames a file; fails when anything already exists at the target. The
// rename is durable before it reports success (see FlushUnderNewName).
[[nodiscard]] bool RenameFile(const std::string& from, const std::string& to, Failure* failure = nullptr);

// Puts `from` in the place of `to` in one step, replacing a file there:
// readers see the old file or the new one, never neither. Durable, as
// RenameFile.
[[nodiscard]] bool ReplaceFile(const std::string& from, const std::string& to, Failure* failure = nullptr);

// Makes a file's data and directory entry durable (POSIX: fsync; Windows:
// FlushFileBuffers).
[[nodiscard]] bool FlushFile(const std::string& path, Failure* failure = nullptr);

// Flushes a file just renamed to `path` under that name, then its folder.
// On FAT the renamed entry's size and first cluster are written only with
// the file itself (Linux's vfat writes them when the file is written back);
// a folder flush alone leaves an entry pointing at freed clusters.
[[nodiscard]] bool FlushUnderNewName(const std::string& path, Failure* failure = nullptr);

// Deletes a file, then flushes its folder; never removes a directory. On
// FAT the freed clusters may be the next file's: a deletion still in the
// cache would leave the old entry pointing at the new file's data.
[[nodiscard]] bool DeleteFileAt(const std::string& path, Failure* failure = nullptr);

// Deletes a file if it is there, for clean-up whose result changes nothing.
void DiscardFile(const std::string& path);

// Removes `folder` and the folders below it when none of them holds a file:
// what is left of scratch folders once their files are gone.
void DiscardEmptyFolders(const std::string& folder);

// Creates one folder whose parent exists; true when a folder is there at
// return (made now or before).
[[nodiscard]] bool MakeFolder(const std::string& path, Failure* failure = nullptr);

// Creates a folder and every missing folder above it, each new one made
// durable in its parent.
[[nodiscard]] bool MakeFolders(const std::string& path, Failure* failure = nullptr);

// Makes the renames and deletions in `folder` durable where the host allows
// it (POSIX: fsync of the directory). True where there is nothing to do.
[[nodiscard]] bool FlushFolder(const std::string& folder, Failure* failure = nullptr);

// Free space and allocation unit of the volume holding `folder`. Nothing
// where the host cannot say, which includes a volume that reports no size
// at all (some FUSE file systems do): its "0 bytes free" means unknown.
struct VolumeSpace {
    std::uint64_t freeBytes = 0;
    std::uint64_t allocationUnit = 1;
};
[[nodiscard]] std::optional<VolumeSpace> SpaceOf(const std::string& folder);

// Checks that `folder` can be used as the stick's root. On Windows it also
// becomes the current directory, as the program has always done; nothing
// reads the current directory back.
[[nodiscard]] bool EnterFolder(const std::string& folder);

// Drive and directory of a file path, keeping the trailing separator
// ("C:\Sounds\" of "C:\Sounds\Tamsiro.exe"); empty when it has none.
std::string FolderOf(const std::string& filePath);

// The file name of the existing file at `path` as its folder spells it
// ("AD003000.ODA" for ".../ad003000.oda" on a stick that has it so), or the
// name in `path` when there is no such file.
std::string NameOnDisk(const std::string& path);

// The full path of a path given relative to the current directory (an
// empty one stays empty). Paths from the command line are made full before
// use: on Windows, choosing the stick changes the current directory.
std::string AbsolutePath(const std::string& path);

// `folder` and `name` joined with one separator.
std::string JoinPath(const std::string& folder, std::string_view name);

// The name in `folder` that `name` denotes: itself when it exists as
// written, else the first entry equal to it without regard to ASCII case,
// else `name` unchanged (for files about to be created).
std::string MatchNameInFolder(const std::string& folder, std::string_view name);

// Whether two names are equal without regard to ASCII case, as stick and
// data-file names are matched.
[[nodiscard]] bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The names of the files (not folders) in `folder` (empty: the root), in no
// particular order; empty when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);

}  // namespace tamsiro
