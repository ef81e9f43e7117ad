#include "app/app_context.h"

#include "host/file_system.h"

#include <utility>

namespace tamsiro {

AppContext::AppContext(UserInterface& ui, std::string programFolder)
    : ui_(ui), busy_(ui), programFolder_(std::move(programFolder)) {}

std::string AppContext::DataFilePath(std::string_view fileName) const {
    // At a root the folder is "C:" or empty, and the separator still goes in.
    const std::string folder = programFolder_.empty() ? std::string(1, kPathSeparator) : programFolder_;
    return JoinPath(programFolder_, MatchNameInFolder(folder, fileName));
}

void AppContext::ShowMessage(const std::string& text) {
    ui_.EndProgress();
    ui_.ShowMessage(text);
}

bool AppContext::Ask(const std::string& text, DefaultButton defaultButton) {
    ui_.EndProgress();
    return ui_.Ask(text, defaultButton);
}

bool AppContext::Ask(const std::string& text, DefaultButton defaultButton, const std::optional<GivenAnswer>& given) {
    if (!given) return Ask(text, defaultButton);
    ui_.EndProgress();
    ui_.ShowGivenAnswer(text, *given);
    return given->yes;
}

bool AppContext::AskOwnQuestion(const std::string& text, DefaultButton defaultButton, std::string_view option) {
    for (const auto& [name, answer] : given_) {
        if (name == option) return Ask(text, defaultButton, answer);
    }
    ui_.EndProgress();
    return ui_.AskOwnQuestion(text, defaultButton, option);
}

}  // namespace tamsiro
