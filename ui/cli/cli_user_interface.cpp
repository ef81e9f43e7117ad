#include "ui/cli/cli_user_interface.h"

#include "host/terminal.h"
#include "host/text_bytes.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

namespace tamsiro::cli {

namespace {

// The core reports a few times a second; this only guards the terminal.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kBarCells = 30;
constexpr int kDefaultColumns = 80;

const char* AnswerText(bool yes) { return yes ? "Yes" : "No"; }

// " [#####.....]  50%  1.0 MiB of 2.0 MiB"
std::string BarText(const ProgressReport& progress) {
    const double fraction = std::min(1.0, static_cast<double>(progress.done) / static_cast<double>(progress.total));
    const auto filled = static_cast<std::size_t>(fraction * kBarCells);
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
    return " [" + std::string(filled, '#') + std::string(kBarCells - filled, '.') + "] " + percent + "  " +
           SizeText(progress.done) + " of " + SizeText(progress.total);
}

}  // namespace

std::string SizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

CliUserInterface::CliUserInterface(Streams streams, bool answerYes) : streams_(streams), answerYes_(answerYes) {}

CliUserInterface CliUserInterface::ForConsole(bool answerYes) {
    return CliUserInterface(
        {std::cin, std::cerr, IsTerminal(stdin), IsTerminal(stderr), [] { return TerminalColumns(stderr); }},
        answerYes);
}

void CliUserInterface::ShowMessage(const std::string& text) {
    ClearBar();
    streams_.err << text << '\n' << std::flush;
}

void CliUserInterface::ShowClosingNote(const std::string& text) {
    ClearBar();
    streams_.err << text << '\n' << std::flush;
}

void CliUserInterface::ShowGivenAnswer(const std::string& question, const GivenAnswer& answer) {
    ClearBar();
    streams_.err << question << " -> " << AnswerText(answer.yes) << " (" << answer.reason << ")\n" << std::flush;
}

std::optional<std::string> CliUserInterface::PromptForMarker(const std::string&) {
    return std::exchange(marker_, std::nullopt);
}

bool CliUserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    ClearBar();
    if (answerYes_) {
        streams_.err << text << " -> Yes (--yes)\n" << std::flush;
        return true;
    }
    return AskTerminal(text, defaultButton, "");
}

bool CliUserInterface::AskOwnQuestion(const std::string& text, DefaultButton defaultButton, std::string_view option) {
    ClearBar();
    return AskTerminal(text, defaultButton,
                       answerYes_ ? ", --yes does not answer this; " + std::string(option) + " does" : "");
}

bool CliUserInterface::AskTerminal(const std::string& text, DefaultButton defaultButton, const std::string& note) {
    const bool byDefault = defaultButton == DefaultButton::Yes;
    if (!streams_.inIsTerminal) {
        streams_.err << text << " -> " << AnswerText(byDefault) << " (default, no terminal" << note << ")\n"
                     << std::flush;
        return byDefault;
    }
    for (;;) {
        streams_.err << text << (byDefault ? " [Y/n] " : " [y/N] ") << std::flush;
        std::string line;
        if (!std::getline(streams_.in, line)) {
            // The input ended (Ctrl-D, Ctrl-Z): as good as no answer.
            streams_.err << "\n-> " << AnswerText(byDefault) << " (default)\n" << std::flush;
            return byDefault;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string answer = AsciiLower(line);
        if (answer.empty()) return byDefault;
        if (answer == "y" || answer == "yes") return true;
        if (answer == "n" || answer == "no") return false;
        streams_.err << "Please answer y or n.\n";
    }
}

void CliUserInterface::ShowProgress(const ProgressReport& progress) {
    if (!streams_.errIsTerminal) return;
    const auto now = std::chrono::steady_clock::now();
    const bool finished = progress.total > 0 && progress.done >= progress.total;
    const bool first = !progressActive_;
    progressActive_ = true;
    // A new phase (the flush after a copy) is shown at once.
    if (!first && progress.step == shownStep_ && now - lastDraw_ < kRedrawInterval && !finished) return;
    lastDraw_ = now;
    shownStep_ = progress.step;

    const int columns = streams_.errColumns ? streams_.errColumns() : 0;
    const std::size_t lineWidth = static_cast<std::size_t>(columns > 1 ? columns : kDefaultColumns) - 1;
    // Work of unknown length (the flush after a copy) has no bar to fill.
    const std::string bar = progress.total == 0 ? std::string() : BarText(progress);
    std::string line = progress.step.substr(0, lineWidth > bar.size() ? lineWidth - bar.size() : 0) + bar;
    if (line.size() > lineWidth) line.resize(lineWidth);
    // Pad over whatever a longer previous line left behind.
    const std::size_t width = line.size();
    if (width < barWidth_) line.append(barWidth_ - width, ' ');
    streams_.err << '\r' << line << std::flush;
    barWidth_ = std::max(barWidth_, width);
}

void CliUserInterface::EndProgress() {
    ClearBar();
    progressActive_ = false;
}

void CliUserInterface::ClearBar() {
    if (barWidth_ == 0) return;
    streams_.err << '\r' << std::string(barWidth_, ' ') << '\r' << std::flush;
    barWidth_ = 0;
}

}  // namespace tamsiro::cli
