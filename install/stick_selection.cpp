#include "install/stick_selection.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/file_system.h"
#include "host/removable_volumes.h"
#include "install/messages.h"
#include "install/restore_command.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_hazard.h"
#include "stick/stick_locator.h"
#include "stick/stick_lock.h"
#include "stick/stick_record.h"
#include "stick/version_file.h"

namespace tamsiro {

namespace {

enum class ArchiveState { Sound, Repaired, Refused };

// A stick whose sound archive is missing or damaged (a Save cut short) can
// be mended from a sound base archive. Without one, a missing archive is
// refused here and a damaged one goes on to the base backup, which refuses
// it with its own message.
ArchiveState CheckSoundArchive(AppContext& context, const Stick& stick) {
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    const bool there = FileExists(archive);
    if (there && CheckArchiveFile(archive).Sound()) return ArchiveState::Sound;
    const std::string base = RecordOfStick(context, stick).basePath;
    if (!FileExists(base) || !CheckArchiveFile(base).Sound()) {
        if (there) return ArchiveState::Sound;
        context.ShowMessage("Bad AiboMind3 stick\nMissing DYNAUDIO.ODA");
        return ArchiveState::Refused;
    }
    if (!context.Ask("DYNAUDIO.ODA on the memory stick is missing or damaged\nRestore it from DATA_BASEMIND3.ODA?",
                     DefaultButton::Yes) ||
        !RepairSoundArchive(context, stick)) {
        return ArchiveState::Refused;
    }
    context.ShowMessage("DYNAUDIO.ODA restored");
    return ArchiveState::Repaired;
}

}  // namespace

std::optional<Stick> SelectStick(AppContext& context) {
    UseInstallWords(context);
    // Why the chooser asks again, where no message has said it.
    std::string note;
    for (;;) {
        const std::vector<std::string> sticks = FindStickRoots(CandidateVolumeRoots());
        if (note.empty() && sticks.empty()) note = "No memory stick found: insert it, then choose its memstick.ind";
        const auto chosen =
            context.Ui().PromptForMarkerWithNote(ChooserStartFolder(sticks).value_or(std::string()), note);
        note.clear();
        if (!chosen) return std::nullopt;

        // Only the chosen file's folder counts; the file itself need not be the marker.
        const std::string folder = FolderOf(*chosen);
        if (folder.empty() || !EnterFolder(folder)) {
            note = "Cannot open the folder of " + *chosen;
            continue;
        }
        const Stick stick(folder);
        // Before anything on it is read: a FIFO would hang the reading, and
        // a link would take the repair or the tidying off the stick.
        if (const auto hazard = FindStickHazard(stick)) {
            context.ShowMessage(StickHazardMessage(*hazard));
            continue;
        }
        if (!FileExists(stick.Path(stick_files::kMarker))) {
            note = "No memstick.ind in " + folder + "\nChoose the memstick.ind at the root of the memory stick";
            continue;
        }

        const VersionVerdict verdict = CheckVersionFile(stick.Path(stick_files::kVersion));
        if (verdict != VersionVerdict::AiboMind3English) {
            context.ShowMessage(VersionVerdictMessage(verdict));
            continue;
        }
        StickLock lock;
        if (!lock.Take(context, stick)) {
            context.ShowMessage(kStickBusy);
            return std::nullopt;
        }
        // What an interrupted Save left behind is put in order before the
        // stick's files are judged; a stick that cannot be put in order
        // without making it worse ends the start.
        if (!TidyStick(context, stick)) return std::nullopt;
        if (CheckSoundArchive(context, stick) == ArchiveState::Refused) continue;
        return stick;
    }
}

}  // namespace tamsiro
