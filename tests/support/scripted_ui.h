#pragma once

#include "app/user_interface.h"

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tamsiro::test {

// A front end driven by a script: it records every message and question in
// order and answers from queues. When a queue runs dry it cancels (No, or
// cancel at the chooser), so a test can never loop forever.
class ScriptedUi : public UserInterface {
public:
    ScriptedUi();

    // Script
    std::deque<bool> answers;                        // Ask: true = Yes
    std::deque<std::optional<std::string>> markers;  // PromptForMarker
    std::map<int, std::string> controlTexts;         // defaults to the catalogue labels
    std::set<int> checked;

    // Record, in order: "message: ...", "ask(yes|no): ...", "prompt"
    std::vector<std::string> transcript;
    std::set<int> disabled;
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
    std::string ControlText(int controlId) override;
    void DisableControl(int controlId) override;
    bool IsChecked(int controlId) override;
    void EndDialog(DialogResult result) override;
};

}  // namespace tamsiro::test
