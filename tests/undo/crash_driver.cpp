// tamsiro_crash_driver: one run of Tamsiro on the real core, with a user
// who answers Yes to every question. The crash-point test starts it again
// and again with TAMSIRO_CRASH_AT set.
//
//   tamsiro_crash_driver PROGRAM-FOLDER STICK-ROOT start|save|restore
//
// start: the start sequence only (stick check with its repair offer, base
// backup); save: then Save with Main row 1, Games row 1 and the sixth
// Talkative Voice (male voice removed); restore: then Restore stock sounds.
// Prints every message and question; exits 0 when the command succeeded,
// 1 when it failed, 2 on a bad command line and 3 when the start failed.
#include "app/app_context.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_change_hook.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "stick/stick.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

using namespace tamsiro;

class YesSayer : public UserInterface {
public:
    YesSayer(std::string marker, std::set<int> checked) : marker_(std::move(marker)), checked_(std::move(checked)) {}

    void ShowMessage(const std::string& text) override { Print("message", text); }
    bool Ask(const std::string& text, DefaultButton) override {
        Print("ask", text);
        return true;
    }
    void ShowBusyCursor(bool) override {}
    // The stick once; asked again, the user gives up.
    std::optional<std::string> PromptForMarker(const std::string&) override {
        if (prompted_) return std::nullopt;
        prompted_ = true;
        return marker_;
    }
    std::string ControlText(int controlId) override {
        for (const SoundCategory& category : kCategoriesInDialogOrder) {
            if (controlId >= category.firstId && controlId <= category.LastId()) {
                return kRowLabels[static_cast<std::size_t>(controlId - category.firstId)];
            }
        }
        return {};
    }
    void DisableControl(int) override {}
    bool IsChecked(int controlId) override { return checked_.count(controlId) != 0; }
    void EndDialog(DialogResult result) override { std::printf("dialog ended: %d\n", static_cast<int>(result)); }

private:
    static void Print(const char* kind, std::string text) {
        for (char& c : text) {
            if (c == '\n') c = '|';
        }
        std::printf("%s: %s\n", kind, text.c_str());
    }

    std::string marker_;
    std::set<int> checked_;
    bool prompted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM-FOLDER STICK-ROOT start|save|restore\n", argv[0]);
        return 2;
    }
    const std::string command = argv[3];
    if (command != "start" && command != "save" && command != "restore") return 2;

    YesSayer ui(std::string(argv[2]) + "/memstick.ind", {kMainFirstId, kGamesFirstId, kMiniVoiceId});
    AppContext context(ui, argv[1]);
    int result = 0;
    const std::optional<Stick> stick = RunStartSequence(context);
    if (!stick) {
        result = 3;
    } else if (command == "save") {
        result = Save(context, *stick, ReadDialogSelection(context)) ? 0 : 1;
    } else if (command == "restore") {
        result = RestoreStockSounds(context, *stick) ? 0 : 1;
    }
    std::printf("file changes: %lu\n", FileChangesSoFar());
    return result;
}
