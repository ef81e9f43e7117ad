#include "ui/qt/tamsiro_session.h"

#include "host/program_folder.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"

#include "ui/ui_texts.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace tamsiro::qt {

TamsiroSession::TamsiroSession(std::string programFolder, ModalRunner& runner)
    : dialog_(runner), ui_(dialog_, runner), context_(ui_, std::move(programFolder)) {
    dialog_.SetSaveHandler([this] {
        if (stick_) OnSave(context_, *stick_, Selection());
    });
    // The portable folder and the zip ship README.txt beside the program;
    // the Linux package puts it with the system's documentation.
    dialog_.SetHelpFiles({QDir(QFile::decodeName(context_.ProgramFolder().c_str())).filePath(QStringLiteral("README.txt")),
                          QStringLiteral(TAMSIRO_INSTALLED_README)});
    // After a restore the dialog stays open, as after a failed Save.
    dialog_.SetRestoreHandler([this] {
        if (stick_) (void)RestoreStockSounds(context_, *stick_);
    });
}

bool TamsiroSession::Start() {
    std::optional<DialogStart> start = RunStartSequence(context_);
    if (!start) return false;
    stick_ = std::move(start->stick);
    dialog_.ShowAvailability(start->rows);
    return !ui_.DialogEnded();
}

SaveSelection TamsiroSession::Selection() const {
    return SelectionOfRows(
        {.main = dialog_.CheckedRow(kMainPlace), .voice = dialog_.CheckedRow(kVoicePlace), .games = dialog_.CheckedRow(kGamesPlace)});
}

void TamsiroSession::Run() {
    if (Start()) dialog_.exec();
}

std::string ProgramFolder() {
    const std::string folder = DefaultProgramFolder();
    if (!folder.empty()) return folder;
    // Hosts that won't name the executable still let Qt find it.
    return DefaultProgramFolderFor(HostFileName(QCoreApplication::applicationFilePath()));
}

}  // namespace tamsiro::qt
