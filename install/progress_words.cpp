#include "install/progress_words.h"

#include "app/app_context.h"
#include "install/messages.h"

#include <string>

namespace tamsiro {

namespace {

class Words final : public ProgressWords {
public:
    std::string Caption(ProgressStep step, std::string_view fileName) const override {
        const std::string file(fileName);
        switch (step) {
        case ProgressStep::CopyingToStick: return "Copying " + file + " to memory stick";
        case ProgressStep::RestoringOnStick: return "Restoring " + file + " on memory stick";
        case ProgressStep::WritingToStick: return "Writing to memory stick...";
        case ProgressStep::CheckingOnStick: return "Checking " + file + " on memory stick";
        case ProgressStep::KeepingInFolder: return "Keeping " + file + " in Tamsiro's folder";
        case ProgressStep::CheckingInFolder: return "Checking " + file + " in Tamsiro's folder";
        case ProgressStep::KeepingStockInFolder: return "Keeping the stock " + file + " in Tamsiro's folder";
        case ProgressStep::CheckingStockInFolder: return "Checking the stock " + file + " in Tamsiro's folder";
        case ProgressStep::BackingUpBase: return "Backing up " + file + " into Tamsiro's folder";
        case ProgressStep::WritingToFolder: return "Writing to Tamsiro's folder...";
        case ProgressStep::CheckingBackup: return "Checking the backup of " + file + " in Tamsiro's folder";
        }
        return file;
    }
};

}  // namespace

const ProgressWords& InstallWords() {
    static const Words words;
    return words;
}

void UseInstallWords(AppContext& context) { context.UseProgressWords(InstallWords()); }

std::string StepOf(int step, int steps) {
    return "Step " + std::to_string(step) + " of " + std::to_string(steps) + ": ";
}

std::string WrittenSummary(std::size_t files, std::uint64_t bytes) {
    return std::to_string(files) + (files == 1 ? " file" : " files") + " written and verified, " + MegabytesText(bytes);
}

}  // namespace tamsiro
