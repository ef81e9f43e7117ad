#pragma once

#include "app/busy_cursor.h"
#include "app/progress.h"
#include "app/user_interface.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamsiro {

// What every operation of the installer shares while a front end runs: the
// front end, the busy pointer's count, the program folder (the folder of
// the executable, where the data files, the base archive, the work archive
// and the batch file live).
class AppContext {
public:
    AppContext(UserInterface& ui, std::string programFolder);

    UserInterface& Ui() { return ui_; }
    const std::string& ProgramFolder() const { return programFolder_; }

    // Full path of a file in the program folder; an existing file is found
    // without regard to case.
    std::string DataFilePath(std::string_view fileName) const;

    void ShowMessage(const std::string& text);
    [[nodiscard]] bool Ask(const std::string& text, DefaultButton defaultButton);
    // The given answer when there is one (shown as given), else Ask.
    [[nodiscard]] bool Ask(const std::string& text, DefaultButton defaultButton,
                           const std::optional<GivenAnswer>& given);
    // A question with its own answer (see UserInterface::AskOwnQuestion):
    // the answer given up front under `option`, else the front end's.
    [[nodiscard]] bool AskOwnQuestion(const std::string& text, DefaultButton defaultButton, std::string_view option);
    void GiveAnswer(std::string option, GivenAnswer answer) {
        given_.emplace_back(std::move(option), std::move(answer));
    }
    // The words of the long steps (see ProgressStep); the commands hand
    // theirs over before they start. Without any, captions are empty.
    void UseProgressWords(const ProgressWords& words) { progressWords_ = &words; }
    std::string Caption(ProgressStep step, std::string_view fileName = {}) const {
        return progressWords_ ? progressWords_->Caption(step, fileName) : std::string();
    }
    void BeginBusy() { busy_.Begin(); }
    void EndBusy() { busy_.End(); }
    int BusyDepth() const { return busy_.Depth(); }

private:
    UserInterface& ui_;
    BusyCursor busy_;
    std::string programFolder_;
    std::vector<std::pair<std::string, GivenAnswer>> given_;
    const ProgressWords* progressWords_ = nullptr;
};

// The busy pointer for the life of a scope: on at construction, off at the
// end of the scope or at End(), whichever comes first.
class BusyScope {
public:
    explicit BusyScope(AppContext& context) : context_(context) { context_.BeginBusy(); }
    ~BusyScope() { End(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void End() {
        if (active_) context_.EndBusy();
        active_ = false;
    }

private:
    AppContext& context_;
    bool active_ = true;
};

}  // namespace tamsiro
