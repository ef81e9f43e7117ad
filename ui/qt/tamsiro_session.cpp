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
#include <QUrl>

#include <utility>

namespace tamsiro::qt {

TamsiroSession::TamsiroSession(std::string programFolder, ModalRunner& runner)
    : runner_(runner), dialog_(runner), ui_(dialog_, runner), context_(ui_, std::move(programFolder)) {
    dialog_.SetSaveHandler([this] {
        if (!stick_) return;
        OnSave(context_, *stick_, Selection());
        if (!ui_.DialogEnded()) ShowStickStatus();
    });
    // The portable folder and the zip ship README.txt beside the program;
    // the Linux package puts it with the system's documentation.
    dialog_.SetHelpFiles(
        {QDir(QFile::decodeName(context_.ProgramFolder().c_str())).filePath(QStringLiteral("README.txt")),
         QStringLiteral(TAMSIRO_INSTALLED_README)});
    // After a restore the dialog stays open, as after a failed Save.
    dialog_.SetRestoreHandler([this] {
        if (!stick_) return;
        (void)RestoreStockSounds(context_, *stick_);
        ShowStickStatus();
    });
}

namespace {

bool HoldsAnySoundSet(const AppContext& context) {
    for (const SoundCategory& category : kCategoriesInDialogOrder) {
        if (!AvailableSets(context, category).empty()) return true;
    }
    return false;
}

}  // namespace

bool TamsiroSession::Welcome() {
    const QString folder = QDir::toNativeSeparators(FromHostText(context_.ProgramFolder()));
    QMessageBox box(QMessageBox::Information, QStringLiteral(TAMSIRO_APPLICATION_NAME),
                    QStringLiteral(TAMSIRO_WELCOME_TEXT).arg(folder), QMessageBox::Open | QMessageBox::Ok, &dialog_);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Open)->setText(QStringLiteral(TAMSIRO_WELCOME_OPEN_FOLDER));
    box.setDefaultButton(QMessageBox::Open);
    box.setEscapeButton(QMessageBox::Ok);
    // Open folder leaves the welcome up, for OK once the files are in.
    while (runner_.RunMessageBox(box) == QMessageBox::Open) {
        if (!runner_.OpenDocument(QUrl::fromLocalFile(FromHostText(context_.ProgramFolder())))) {
            ShowWarning(runner_, dialog_, QStringLiteral(TAMSIRO_WELCOME_NO_FILE_MANAGER).arg(folder));
        }
    }
    return HoldsAnySoundSet(context_);
}

void TamsiroSession::ShowStickStatus() {
    if (!stick_) return;
    const DialogStatusWords words = DialogWordsOf(ReadStickStatus(context_, *stick_));
    const QString middleDot(QChar(0x00B7));
    dialog_.SetStickStatus(QStringLiteral("Memory stick: %1\nMain: %2 %5 Voice: %3 %5 Games: %4")
                               .arg(QDir::toNativeSeparators(QDir::cleanPath(FromHostText(stick_->Root()))),
                                    FromHostText(words.main), FromHostText(words.voice), FromHostText(words.games),
                                    middleDot));
}

bool TamsiroSession::Start() {
    if (welcomeWhileEmpty_ && !HoldsAnySoundSet(context_) && !Welcome()) {
        ui_.EndDialog(DialogResult::Cancel);
        return false;
    }
    std::optional<DialogStart> start = RunStartSequence(context_);
    if (!start) return false;
    stick_ = std::move(start->stick);
    dialog_.ShowAvailability(start->rows);
    if (ui_.DialogEnded()) return false;
    ShowStickStatus();
    return true;
}

SaveSelection TamsiroSession::Selection() const {
    return SelectionOfRows({.main = dialog_.CheckedRow(kMainPlace),
                            .voice = dialog_.CheckedRow(kVoicePlace),
                            .games = dialog_.CheckedRow(kGamesPlace)});
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
