#include "stick/stick_selection.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "app/removable_volumes.h"
#include "app/stick_path.h"
#include "stick/version_file.h"

namespace tamsiro {

bool SelectStick(AppContext& context) {
    for (;;) {
        const auto chosen = context.Ui().PromptForMarker(FindInsertedStick().value_or(std::string()));
        if (!chosen) return false;

        // Only the chosen file's folder counts; the file itself need not be the marker.
        const std::string folder = FolderOf(*chosen);
        if (folder.empty() || !ChangeCurrentDirectory(folder)) continue;
        if (!FileExists(ResolveStickPath("memstick.ind"))) continue;

        const VersionVerdict verdict = CheckVersionFile(ResolveStickPath("OPEN-R\\APP\\VERSION"));
        if (verdict != VersionVerdict::AiboMind3English) {
            context.ShowMessage(VersionVerdictMessage(verdict));
            continue;
        }
        if (!FileExists(ResolveStickPath("OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA"))) {
            context.ShowMessage("Bad AiboMind3 stick\nMissing DYNAUDIO.ODA");
            continue;
        }
        return true;
    }
}

}  // namespace tamsiro
