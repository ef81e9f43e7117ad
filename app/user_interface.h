#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamsiro {

enum class DefaultButton { Yes, No };

// Matches the values a Windows dialog ends with (IDOK, IDCANCEL).
enum class DialogResult { Ok = 1, Cancel = 2 };

// How far a long step (a copy, the merge, a check) has got. `step` is a
// short text such as "Copying DYNAUDIO.ODA to memory stick".
struct ProgressReport {
    std::string step;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
};

// An answer given before its question came up, and why ("--keep-male-voice").
struct GivenAnswer {
    bool yes = false;
    std::string reason;
};

// Everything the core asks of a front end. A front end presents; it never
// decides. All calls are made on the user-interface thread and are modal
// where a person has to answer.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Modal box with an OK button, the warning icon and the application name
    // as caption. Returns when the box is dismissed, however it is dismissed.
    virtual void ShowMessage(const std::string& text) = 0;

    // Modal box with exactly Yes and No; true only when the user chose Yes.
    virtual bool Ask(const std::string& text, DefaultButton defaultButton) = 0;

    // Busy (hourglass) pointer on or off. The nesting count lives in the
    // core (see BusyCursor), so a front end only switches the pointer.
    virtual void ShowBusyCursor(bool busy) = 0;

    // Open-file chooser for the stick's marker file "memstick.ind". It opens
    // in `suggestedFolder` when one is given (a stick found by itself), else
    // wherever the platform likes. The chosen file's full host path, or
    // nothing when the user cancelled.
    virtual std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) = 0;
    // The same chooser with a note in its window: why it asks again, or
    // that no stick was found. A front end with nowhere to show it asks as
    // above.
    virtual std::optional<std::string> PromptForMarkerWithNote(const std::string& suggestedFolder,
                                                               const std::string& note) {
        (void)note;
        return PromptForMarker(suggestedFolder);
    }

    // A question a blanket "yes to everything" must not answer: taking a
    // custom archive as the stick's base, deleting files Tamsiro did not
    // write. `option` names what answers it up front on a command line
    // ("--accept-custom-base"). A windowed front end asks it as any other.
    virtual bool AskOwnQuestion(const std::string& text, DefaultButton defaultButton, std::string_view option) {
        (void)option;
        return Ask(text, defaultButton);
    }

    // A question its owner answered before it came up (a command-line
    // option): a front end that keeps a log may show it with the answer.
    virtual void ShowGivenAnswer(const std::string& question, const GivenAnswer& answer) {
        (void)question;
        (void)answer;
    }

    // Ends the modal selection dialog. During the start sequence the dialog
    // then closes without ever being offered to the user.
    virtual void EndDialog(DialogResult result) = 0;

    // What a change that succeeded put on the stick ("3 files written and
    // verified, 19.6 MB"), after its closing message: a front end that
    // keeps a log may end it with this line.
    virtual void ShowClosingNote(const std::string& text) { (void)text; }

    // Progress of a long step, a few times a second at most (the core
    // throttles). A front end may show nothing for short steps.
    virtual void ShowProgress(const ProgressReport& progress) { (void)progress; }
    // The long step is over; also called before any message box follows it.
    virtual void EndProgress() {}
};

// A front end without a window (tools, benchmarks, fuzzers): no chooser, no
// dialog, no pointer. It says and asks what its owner decides.
class HeadlessUserInterface : public UserInterface {
public:
    void ShowBusyCursor(bool) override {}
    std::optional<std::string> PromptForMarker(const std::string&) override { return std::nullopt; }
    void EndDialog(DialogResult) override {}
};

}  // namespace tamsiro
