#pragma once

#include "archive/archive_check.h"
#include "archive/entry_file_names.h"
#include "archive/folder_manifest.h"
#include "host/failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro {

class UserInterface;

// An archive unpacked into a folder: one file per entry holding its data,
// named by EntryFileNames (entry_file_names.h), and the manifest
// (kManifestFileName, folder_manifest.h) with everything else needed to
// build the archive again.

// How an extract or a pack ended: done, or the first thing that stopped it.
// A file operation that failed carries the host's `failure`; `path` is the
// file or folder the step was about.
enum class FolderVerdict {
    Done,
    ArchiveNotSound,       // extract: `check` says why
    ArchiveNotOpened,      // extract: the archive passed the check but did not open (`failure`)
    NoRoom,                // extract: `neededBytes` in `path`, which has `freeBytes`
    NotAFolder,            // extract: `path` exists and is not a folder
    FolderNotReadable,     // extract: `path` could not be looked into (`failure`)
    FolderNotEmpty,        // extract: `path` holds something
    FolderNotCreated,      // extract: `failure`
    FileNotCreated,        // `failure` (an entry's file, or the packed archive's part file)
    EntryNotCopied,        // extract: `entry`'s data into `path` (`failure`)
    ManifestNotWritten,    // extract: `path` (`failure`)
    FileNotOpened,         // `failure` (the manifest, or an entry's file while packing)
    ManifestNotRead,       // pack: `path` (`failure`)
    ManifestWrong,         // pack: `manifest` says what
    EntryFileMissing,      // pack: `entry`'s file (`failure`)
    EntryFileSizeUnknown,  // pack: `entry`'s file at `path` (`failure`)
    EntryFileTooLarge,     // pack: `entry`'s file at `path` is larger than an entry can be
    FolderNotListed,       // pack --strict: `path` could not be listed
    FilesNotNamed,         // pack --strict: `leftOut` are not named by the manifest
    ArchiveTooLarge,       // pack: the data would start past the offset field's reach
    TableNotWritten,       // pack: header and table into `path` (`failure`)
    EntryFileShrank,       // pack: `path` is shorter than when packing began, copying into `into`
    DataNotCopied,         // pack: `path` into `into` (`failure`)
    ArchiveNotFinished,    // pack: `path` (`failure`)
    ArchiveNotReplaced,    // pack: the archive at `path` (`failure`)
};

struct [[nodiscard]] FolderOutcome {
    FolderVerdict verdict = FolderVerdict::Done;
    std::string path;
    std::string into;
    std::size_t entry = 0;
    std::uint64_t neededBytes = 0;
    std::uint64_t freeBytes = 0;
    std::optional<Failure> failure;
    ArchiveCheckOutcome check;
    ManifestOutcome manifest;

    std::size_t entries = 0;
    std::uint64_t dataBytes = 0;
    // Pack only: the files in the folder that the manifest does not name,
    // in name order, which the archive leaves out; nothing when the folder
    // could not be listed.
    std::optional<std::vector<std::string>> leftOut;

    bool Ok() const { return verdict == FolderVerdict::Done; }
};

// Where a long extract or pack shows its progress, and what the step is
// called there.
struct FolderProgress {
    UserInterface* ui = nullptr;
    std::string step;
};

// Writes each entry's data to a file in `folder` and then the manifest.
// The folder is created when missing and must otherwise be empty, so
// nothing already there can be overwritten. The archive must pass
// CheckArchive first, and the volume must have room for all the files
// (checked before anything is written). `progress`, when given, is shown
// the copy's progress.
FolderOutcome ExtractArchive(const std::string& archivePath, const std::string& folder,
                             const FolderProgress& progress = {});

struct PackOptions {
    // Refuse a folder holding files the manifest does not name (or one that
    // cannot be listed to tell), rather than leaving them out.
    bool strict = false;
};

// Builds an archive from such a folder: the manifest's header and entries
// in its order, each entry's size taken from its file, and the data back to
// back from 64 + 144 * N (see LayOutBackToBack). For an archive laid out
// that way, Pack(Extract(A)) is byte for byte A. The manifest's file names
// must be plain names in the folder (IsSafeFileName). The archive is
// written beside its place (FILE.part) and replaces a file there only when
// complete; on failure nothing is left behind.
FolderOutcome PackArchive(const std::string& folder, const std::string& archivePath,
                          const FolderProgress& progress = {}, PackOptions options = {});

}  // namespace tamsiro
