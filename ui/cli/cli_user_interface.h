#pragma once

#include "app/user_interface.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace tamsiro::cli {

// The core's view of the command line. Messages, questions and progress go
// to stderr, so stdout carries only a command's results.
//
// A question the command answered from its own options is not asked; the
// core passes it on with its answer (ShowGivenAnswer). Any other is asked
// on the terminal with its default shown ([Y/n] or [y/N]; an empty answer takes it). With --yes
// every question is answered Yes; without a terminal the default is taken.
// Either way the question and its answer are printed, so a log shows what
// was decided.
//
// The stick is given with --stick rather than chosen: the chooser is
// answered once with its marker file (see OfferMarker) and cancelled after
// that, so a stick that is refused ends the command. There is no selection
// dialog, so its methods answer nothing.
class CliUserInterface : public HeadlessUserInterface {
public:
    struct Streams {
        std::istream& in;
        std::ostream& err;
        bool inIsTerminal;
        bool errIsTerminal;
        // The terminal's width, asked at each draw (it may be resized);
        // none: 80 columns.
        std::function<int()> errColumns = {};
    };

    CliUserInterface(Streams streams, bool answerYes);
    // Over std::cin and std::cerr, looking at whether they are terminals.
    static CliUserInterface ForConsole(bool answerYes);

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    // Not answered by --yes: its own option answers it, else the terminal
    // or, without one, the default.
    bool AskOwnQuestion(const std::string& text, DefaultButton defaultButton, std::string_view option) override;
    void ShowGivenAnswer(const std::string& question, const GivenAnswer& answer) override;
    // The last line of a change that succeeded: what it wrote and checked.
    void ShowClosingNote(const std::string& text) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;

    // A one-line bar as wide as the terminal, redrawn in place, on a
    // terminal only: drawn at a step's first report and at most ten times
    // a second after that.
    void ShowProgress(const ProgressReport& progress) override;
    void EndProgress() override;

    // The next file chooser is answered with `markerPath`.
    void OfferMarker(std::string markerPath) { marker_ = std::move(markerPath); }

private:
    void ClearBar();
    // Asks on the terminal, or takes the default without one; `note` says
    // more about the default taken.
    bool AskTerminal(const std::string& text, DefaultButton defaultButton, const std::string& note);

    Streams streams_;
    bool answerYes_;
    std::optional<std::string> marker_;
    bool progressActive_ = false;
    std::string shownStep_;
    std::size_t barWidth_ = 0;  // characters on the line now; 0: no bar shown
    std::chrono::steady_clock::time_point lastDraw_{};
};

// "12.3 MiB", "900 bytes": sizes for people.
std::string SizeText(std::uint64_t bytes);

}  // namespace tamsiro::cli
