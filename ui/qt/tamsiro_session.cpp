#include "ui/qt/tamsiro_session.h"

#include "app/program_folder.h"
#include "app/start_sequence.h"
#include "install/restore_command.h"
#include "install/save_command.h"

#include <QCoreApplication>

#include <utility>

namespace tamsiro::qt {

TamsiroSession::TamsiroSession(std::string programFolder, ModalRunner& runner)
    : dialog_(runner), ui_(dialog_, runner), context_(ui_, std::move(programFolder)) {
    dialog_.SetSaveHandler([this] { OnSave(context_); });
    // After a restore the dialog stays open, as after a failed Save.
    dialog_.SetRestoreHandler([this] {
        if (const Stick* stick = context_.ChosenStick()) (void)RestoreStockSounds(context_, *stick);
    });
}

bool TamsiroSession::Start() { return RunStartSequence(context_) && !ui_.DialogEnded(); }

void TamsiroSession::Run() {
    if (Start()) dialog_.exec();
}

std::string ProgramFolder() {
    const std::string executable = RunningExecutablePath();
    if (!executable.empty()) return ProgramFolderOf(executable);
    // Hosts that won't name the executable still let Qt find its folder.
    return HostFileName(QCoreApplication::applicationDirPath());
}

}  // namespace tamsiro::qt
