#pragma once

#include "archive/entry_file_names.h"

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

struct [[nodiscard]] FolderResult {
    std::string problem;  // what went wrong, empty on success
    std::size_t entries = 0;
    std::uint64_t dataBytes = 0;
    // Pack only: the files in the folder that the manifest does not name,
    // in name order, which the archive leaves out; nothing when the folder
    // could not be listed.
    std::optional<std::vector<std::string>> leftOut;

    bool Ok() const { return problem.empty(); }
};

// Writes each entry's data to a file in `folder` and then the manifest.
// The folder is created when missing and must otherwise be empty, so
// nothing already there can be overwritten. The archive must pass
// CheckArchive first, and the volume must have room for all the files
// (checked before anything is written). `progress`, when given, is shown
// the copy's progress ("Extracting").
FolderResult ExtractArchive(const std::string& archivePath, const std::string& folder,
                            UserInterface* progress = nullptr);

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
FolderResult PackArchive(const std::string& folder, const std::string& archivePath, UserInterface* progress = nullptr,
                         PackOptions options = {});

}  // namespace tamsiro
