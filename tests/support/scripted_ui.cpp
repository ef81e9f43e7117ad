#include "tests/support/scripted_ui.h"

namespace tamsiro::test {

std::vector<std::string> ScriptedUi::Messages() const {
    std::vector<std::string> out;
    for (const std::string& line : transcript) {
        if (line != "prompt") out.push_back(line);
    }
    return out;
}

void ScriptedUi::ShowMessage(const std::string& text) {
    transcript.push_back("message: " + text);
    busyAtMessage.push_back(busyShown);
}

bool ScriptedUi::Ask(const std::string& text, DefaultButton defaultButton) {
    transcript.push_back(std::string(defaultButton == DefaultButton::Yes ? "ask(yes): " : "ask(no): ") + text);
    busyAtMessage.push_back(busyShown);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

void ScriptedUi::ShowBusyCursor(bool busy) {
    if (busy != busyShown) ++busyTransitions;
    busyShown = busy;
}

std::optional<std::string> ScriptedUi::PromptForMarker(const std::string&) {
    transcript.push_back("prompt");
    if (markers.empty()) return std::nullopt;
    auto answer = markers.front();
    markers.pop_front();
    return answer;
}

void ScriptedUi::ShowGivenAnswer(const std::string& question, const GivenAnswer& answer) {
    transcript.push_back(std::string(answer.yes ? "given(yes): " : "given(no): ") + question);
    busyAtMessage.push_back(busyShown);
}

void ScriptedUi::EndDialog(DialogResult result) { endedWith = result; }

}  // namespace tamsiro::test
