#pragma once

#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "archive/archive_folder.h"
#include "archive/folder_manifest.h"
#include "host/failure.h"

#include <string>

namespace tamsiro {

// The words for what archive/ reports: the check, the manifest, extract,
// pack and diff. Each names what is wrong and where (entries count from
// 0); a file operation that failed names its path and the reason. Success
// has no words: the callers say what was done.

// Why a file operation failed, as the host words it ("No such file or
// directory"), or in the same style where the host gave no code.
std::string FailureReasonText(const Failure& failure);

// "entry 17: data ends past the end of the file (...)", for the caller to
// put after the archive's path.
std::string ArchiveCheckText(const ArchiveCheckOutcome& outcome);

// "entry 3: \"tag_hex\" is not 4 bytes of hex", for the caller to put after
// the manifest's name.
std::string ManifestOutcomeText(const ManifestOutcome& outcome);

// Why an extract or a pack stopped, for the caller to put after the path
// of the archive extracted or the folder packed.
std::string FolderOutcomeText(const FolderOutcome& outcome);

// Why two archives could not be compared, naming the archive at fault.
std::string DiffOutcomeText(const ArchiveDiffOutcome& outcome);

// The progress steps of extract and pack.
inline constexpr const char* kExtractingStep = "Extracting";
inline constexpr const char* kPackingStep = "Packing";

}  // namespace tamsiro
