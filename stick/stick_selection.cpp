#include "stick/stick_selection.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "stick/stick_files.h"
#include "stick/version_file.h"

namespace tamsiro {

std::optional<Stick> SelectStick(AppContext& context) {
    for (;;) {
        const auto chosen = context.Ui().PromptForMarker(std::string());
        if (!chosen) return std::nullopt;

        // Only the chosen file's folder counts; the file itself need not be the marker.
        const std::string folder = FolderOf(*chosen);
        if (folder.empty() || !EnterFolder(folder)) continue;
        const Stick stick(folder);
        if (!FileExists(stick.Path(stick_files::kMarker))) continue;

        const VersionVerdict verdict = CheckVersionFile(stick.Path(stick_files::kVersion));
        if (verdict != VersionVerdict::AiboMind3English) {
            context.ShowMessage(VersionVerdictMessage(verdict));
            continue;
        }
        if (!FileExists(stick.Path(stick_files::kSoundArchive))) {
            context.ShowMessage("Bad AiboMind3 stick\nMissing DYNAUDIO.ODA");
            continue;
        }
        return stick;
    }
}

}  // namespace tamsiro
