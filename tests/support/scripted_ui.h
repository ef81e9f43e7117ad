#pragma once

#include "app/user_interface.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro::test {

// A front end driven by a script: it records every message and question in
// order and answers from queues. When a queue runs dry it cancels (No, or
// cancel at the chooser), so a test can never loop forever.
class ScriptedUi : public UserInterface {
public:
    // Script
    std::deque<bool> answers;                        // Ask: true = Yes
    std::deque<std::optional<std::string>> markers;  // PromptForMarker

    // Record, in order: "message: ...", "ask(yes|no): ...", "prompt", and
    // "given(yes|no): ..." for a question answered up front
    std::vector<std::string> transcript;
    std::optional<DialogResult> endedWith;
    bool busyShown = false;
    int busyTransitions = 0;
    // Busy state at the moment each message or question was shown.
    std::vector<bool> busyAtMessage;

    // Messages and questions only, without the prompts.
    std::vector<std::string> Messages() const;

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    void ShowBusyCursor(bool busy) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;
    void ShowGivenAnswer(const std::string& question, const GivenAnswer& answer) override;
    void EndDialog(DialogResult result) override;
};

}  // namespace tamsiro::test
