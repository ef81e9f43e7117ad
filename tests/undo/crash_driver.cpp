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
#include <string>

namespace {

using namespace tamsiro;

class YesSayer : public UserInterface {
public:
    explicit YesSayer(std::string marker) : marker_(std::move(marker)) {}

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
    void EndDialog(DialogResult result) override { std::printf("dialog ended: %d\n", static_cast<int>(result)); }

private:
    static void Print(const char* kind, std::string text) {
        for (char& c : text) {
            if (c == '\n') c = '|';
        }
        std::printf("%s: %s\n", kind, text.c_str());
    }

    std::string marker_;
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

    YesSayer ui(std::string(argv[2]) + "/memstick.ind");
    AppContext context(ui, argv[1]);
    int result = 0;
    const std::optional<DialogStart> start = RunStartSequence(context);
    if (!start) {
        result = 3;
    } else if (command == "save") {
        const CheckedRows checked{.main = 0, .voice = kMaleVoiceRemovalRow, .games = 0};
        result = Save(context, start->stick, SelectionOfRows(checked)) ? 0 : 1;
    } else if (command == "restore") {
        // As tamsiro-cli restore ends.
        const RestoreVerdict outcome = RestoreStockSounds(context, start->stick);
        result = outcome == RestoreVerdict::Restored || outcome == RestoreVerdict::AlreadyStock ? 0 : 1;
    }
    std::printf("file changes: %lu\n", FileChangesSoFar());
    return result;
}
