#include "install/save_command.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "app/stick_path.h"
#include "archive/main_install.h"
#include "stick/mode_flags.h"
#include "stick/voice_list.h"
#include "ui/sound_catalogue.h"

#include <string>

namespace tamsiro {

namespace {

struct StickCopy {
    const char* prefix;
    const char* destination;
    const char* failure;
};

constexpr StickCopy kGame1{"G3A", "OPEN-R\\MW\\DATA\\P\\AD013001.ODA", "Could not copy game#1 audio to memory stick"};
constexpr StickCopy kGame8{"G3B", "OPEN-R\\MW\\DATA\\P\\AD013008.ODA", "Could not copy game#8 audio to memory stick"};
constexpr StickCopy kVoice{"V3", "OPEN-R\\MW\\DATA\\P\\CUSVOICE.ODA", "Could not copy user voice audio to memory stick"};
constexpr const char* kMaleVoice = "OPEN-R\\MW\\DATA\\E\\ad003000.oda";

// The old file goes first: small sticks have no room for both.
bool CopyToStick(AppContext& context, int selection, const StickCopy& copy) {
    const std::string source = DataFileFor(context, selection, copy.prefix);
    const std::string destination = ResolveStickPath(copy.destination);
    DeleteFileAt(destination);
    if (destination.empty() || !CopyWholeFile(source, destination, CopyMode::Overwrite)) {
        context.ShowMessage(copy.failure);
        return false;
    }
    return true;
}

bool InstallGames(AppContext& context, int games) {
    context.BeginBusy();
    const bool ok = CopyToStick(context, games, kGame1) && CopyToStick(context, games, kGame8);
    context.EndBusy();
    return ok;
}

bool InstallVoice(AppContext& context, int voice) {
    context.BeginBusy();
    const bool copied = CopyToStick(context, voice, kVoice);
    context.EndBusy();
    if (!copied) return false;

    bool maleVoiceRemoved = false;
    if (voice == kMiniVoiceId &&
        context.Ask("Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)", DefaultButton::Yes)) {
        DeleteFileAt(ResolveStickPath(kMaleVoice));
        maleVoiceRemoved = true;
    }

    // A configuration that could not be rewritten is a warning, not a failure:
    // the sounds are on the stick already.
    context.BeginBusy();
    if (!RewriteVoiceList(context, maleVoiceRemoved) || !RewriteModeFlags(context)) {
        context.EndBusy();
        context.ShowMessage("Warning: CFG files not updated fully");
    }
    context.EndBusy();
    return true;
}

}  // namespace

void OnSave(AppContext& context) {
    const int main = SelectionOf(context, kMainCategory.firstId, kMainCategory.LastId());
    const int games = SelectionOf(context, kGamesCategory.firstId, kGamesCategory.LastId());
    const int voice = SelectionOf(context, kVoiceCategory.firstId, kVoiceCategory.LastId());

    if (main == 0 && games == 0 && voice == 0) {
        context.ShowMessage("Please select something");
        return;
    }
    if ((main == 0 || games == 0 || voice == 0) &&
        !context.Ask("You didn't select all three parts\nShould I install fewer parts?", DefaultButton::No)) {
        return;
    }

    if (main != 0 && !InstallMain(context, DataFileFor(context, main, kMainCategory.prefix))) return;
    if (games != 0 && !InstallGames(context, games)) return;
    if (voice != 0 && !InstallVoice(context, voice)) return;

    context.ShowMessage("New audio saved");
    context.Ui().EndDialog(DialogResult::Ok);
}

}  // namespace tamsiro
