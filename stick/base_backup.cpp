#include "stick/base_backup.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "app/stick_path.h"

namespace tamsiro {

bool EnsureBaseArchive(AppContext& context) {
    const std::string basePath = context.DataFilePath("DATA_BASEMIND3.ODA");
    if (FileExists(basePath)) return true;

    context.ShowMessage("Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait");

    // Any file at the base path counts as a good backup on every later run,
    // so the copy lands under a temporary name and only a complete one is
    // renamed into place.
    const std::string partialPath = context.DataFilePath("DATA_BASEMIND3.ODA.partial");
    const std::string source = ResolveStickPath("OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA");
    bool copied = CopyWholeFile(source, partialPath, CopyMode::Overwrite);
    if (copied && !RenameFile(partialPath, basePath)) copied = false;
    if (!copied) {
        DeleteFileAt(partialPath);
        context.ShowMessage("Backup of DYNAUDIO.ODA failed");
        return false;
    }
    context.ShowMessage("Backup of DYNAUDIO.ODA complete");
    return true;
}

}  // namespace tamsiro
