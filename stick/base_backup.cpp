#include "stick/base_backup.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "stick/stick_files.h"

namespace tamsiro {

bool EnsureBaseArchive(AppContext& context, const Stick& stick) {
    const std::string basePath = context.DataFilePath(program_files::kBaseArchive);
    if (FileExists(basePath)) return true;

    context.ShowMessage("Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait");

    // Any file at the base path counts as a good backup on every later run,
    // so the copy lands under a temporary name and only a complete one is
    // renamed into place.
    const std::string partialPath = context.DataFilePath(program_files::kBaseArchivePartial);
    const std::string source = stick.Path(stick_files::kSoundArchive);
    bool copied = CopyWholeFile(source, partialPath, CopyMode::Overwrite, true);
    if (copied && !RenameFile(partialPath, basePath)) copied = false;
    if (!copied) {
        DiscardFile(partialPath);
        context.ShowMessage("Backup of DYNAUDIO.ODA failed");
        return false;
    }
    context.ShowMessage("Backup of DYNAUDIO.ODA complete");
    return true;
}

}  // namespace tamsiro
