#include "ui/qt/tamsiro_session.h"

#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "host/program_folder.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "install/stick_status.h"
#include "ui/qt/modal_runner.h"

#include "ui/ui_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

#include <array>
#include <utility>

namespace tamsiro::qt {

TamsiroSession::TamsiroSession(std::string programFolder, ModalRunner& runner)
    : runner_(runner), dialog_(runner), ui_(dialog_, runner), context_(ui_, std::move(programFolder)) {
    dialog_.SetSaveHandler([this] {
        if (!stick_) return;
        OnSave(context_, *stick_, Selection());
        // The user's choices stay for another try.
        if (!ui_.DialogEnded()) ReadStick(false);
    });
    // The portable folder and the zip ship README.txt beside the program;
    // the Linux package puts it with the system's documentation.
    dialog_.SetHelpFiles(
        {QDir(QFile::decodeName(context_.ProgramFolder().c_str())).filePath(QStringLiteral("README.txt")),
         QStringLiteral(TAMSIRO_INSTALLED_README)});
    // After a restore the dialog stays open, as after a failed Save, and
    // starts again from the stick as it is now.
    dialog_.SetRestoreHandler([this] {
        if (!stick_) return;
        const RestoreVerdict verdict = RestoreStockSounds(context_, *stick_);
        ReadStick(verdict == RestoreVerdict::Restored);
    });
}

namespace {

// The data files that sets found only in part still need: a Games set
// with one of its two files.
QStringList MissingPartsOfSets(const AppContext& context) {
    QStringList missing;
    for (const SoundCategory& category : kCategoriesInDialogOrder) {
        for (const FolderSet& set : ExtraSets(context, category)) {
            if (!set.missingFile.empty()) missing << FromHostText(set.missingFile);
        }
        if (category.secondPrefix == nullptr) continue;
        for (const char* row : kRowLabels) {
            const std::string label = FileLabelOf(row);
            const std::string needed = MissingDataFile(context, category, label);
            const bool begun = FileExists(context.DataFilePath(DataFileName(category.prefix, label))) ||
                               FileExists(context.DataFilePath(DataFileName(category.secondPrefix, label)));
            if (!needed.empty() && begun) missing << FromHostText(needed);
        }
    }
    return missing;
}

}  // namespace

bool TamsiroSession::Welcome() {
    const QString folder = QDir::toNativeSeparators(FromHostText(context_.ProgramFolder()));
    QString text = QStringLiteral(TAMSIRO_WELCOME_TEXT).arg(folder);
    for (;;) {
        QMessageBox box(QMessageBox::Information, QStringLiteral(TAMSIRO_APPLICATION_NAME), text,
                        QMessageBox::Open | QMessageBox::Ok | QMessageBox::Cancel, &dialog_);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Open)->setText(QStringLiteral(TAMSIRO_WELCOME_OPEN_FOLDER));
        box.setDefaultButton(QMessageBox::Open);
        box.setEscapeButton(QMessageBox::Cancel);
        const QMessageBox::StandardButton answer = runner_.RunMessageBox(box);
        if (answer == QMessageBox::Open) {
            // The welcome stays up, for OK once the files are in.
            if (!runner_.OpenDocument(QUrl::fromLocalFile(FromHostText(context_.ProgramFolder())))) {
                ShowWarning(runner_, dialog_, QStringLiteral(TAMSIRO_WELCOME_NO_FILE_MANAGER).arg(folder));
            }
            continue;
        }
        if (answer != QMessageBox::Ok) return false;
        if (HoldsAnySoundSet(context_)) return true;
        text = QStringLiteral(TAMSIRO_WELCOME_STILL_EMPTY).arg(folder);
        const QStringList parts = MissingPartsOfSets(context_);
        if (!parts.isEmpty())
            text += QStringLiteral("\n\n") + QStringLiteral(TAMSIRO_WELCOME_PART_OF_SET).arg(parts.join(", "));
    }
}

void TamsiroSession::ReadStick(bool checkRows) {
    if (!stick_) return;
    const StickStatus status = ReadStickStatus(context_, *stick_);
    const DialogStatusWords words = DialogWordsOf(status);
    const QString middleDot(QChar(0x00B7));
    dialog_.SetStickStatus(QStringLiteral("Memory stick: %1\nMain: %2 %5 Voice: %3 %5 Games: %4")
                               .arg(QDir::toNativeSeparators(QDir::cleanPath(FromHostText(stick_->Root()))),
                                    FromHostText(words.main), FromHostText(words.voice), FromHostText(words.games),
                                    middleDot));
    const std::array<const GroupStatus*, kCategoriesInDialogOrder.size()> groups = {&status.archive, &status.voice,
                                                                                    &status.games};
    for (std::size_t place = 0; place < groups.size(); ++place) {
        const GroupStatus& group = *groups[place];
        setsOnStick_[place] = group.kind == GroupStatus::Kind::Set ? std::optional(group.label) : std::nullopt;
        if (checkRows) dialog_.CheckSet(place, setsOnStick_[place]);
    }
}

bool TamsiroSession::Start() {
    if (welcomeWhileEmpty_ && !HoldsAnySoundSet(context_) && !Welcome()) {
        ui_.EndDialog(DialogResult::Cancel);
        return false;
    }
    std::optional<DialogStart> start = RunStartSequence(context_);
    if (!start) return false;
    stick_ = std::move(start->stick);
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        const SoundCategory& category = kCategoriesInDialogOrder[place];
        for (int row = 0; row < kRowsPerCategory; ++row) {
            if (start->rows.IsAvailable(place, row)) continue;
            const std::string label = FileLabelOf(kRowLabels[static_cast<std::size_t>(row)]);
            std::string missing = MissingDataFile(context_, category, label);
            // Gone and back since the start sequence looked: name the first.
            if (missing.empty()) missing = DataFileName(category.prefix, label);
            dialog_.ShowMissingFile(dialog_.Choice(place, row), FromHostText(missing));
        }
        dialog_.ShowOtherSets(place, ExtraSets(context_, category));
    }
    if (ui_.DialogEnded()) return false;
    ReadStick(true);
    return true;
}

SaveSelection TamsiroSession::Selection() const {
    // A group at Keep, or at the set the stick holds already, is left as it is.
    std::array<std::optional<std::string>, kCategoriesInDialogOrder.size()> changed;
    bool unchangedHoldSets = true;
    for (std::size_t place = 0; place < changed.size(); ++place) {
        const std::optional<std::string> checked = dialog_.CheckedSet(place);
        const std::optional<std::string>& held = setsOnStick_[place];
        if (checked && !(held && EqualIgnoringAsciiCase(*checked, *held))) changed[place] = checked;
        if (!changed[place] && !held) unchangedHoldSets = false;
    }
    SaveSelection selection{changed[kMainPlace], changed[kGamesPlace], changed[kVoicePlace]};
    selection.voiceOffersMaleVoiceRemoval =
        changed[kVoicePlace].has_value() && dialog_.CheckedRow(kVoicePlace) == kMaleVoiceRemovalRow;
    // "Fewer parts" warns of a group left without a set; where each group
    // left as it is holds one, the stick ends up with all three.
    if (unchangedHoldSets) selection.installFewerParts = GivenAnswer{true, "the other groups hold sets already"};
    return selection;
}

void TamsiroSession::Run() {
    if (Start()) dialog_.exec();
}

namespace {

std::string ExecutablePath() {
    const std::string path = RunningExecutablePath();
    // Hosts that won't name the executable still let Qt find it.
    return path.empty() ? HostFileName(QCoreApplication::applicationFilePath()) : path;
}

}  // namespace

std::string ProgramFolder() {
    const std::string folder = DefaultProgramFolderFor(ExecutablePath());
    return !folder.empty() && MakeFolders(folder) ? folder : std::string();
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
    return programFolder != ProgramFolderOf(ExecutablePath());
}

}  // namespace tamsiro::qt
