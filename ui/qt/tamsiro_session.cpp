#include "ui/qt/tamsiro_session.h"

#include "app/program_folder.h"
#include "app/start_sequence.h"
#include "install/restore_command.h"
#include "install/save_command.h"

#include "ui/ui_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace tamsiro::qt {

TamsiroSession::TamsiroSession(std::string programFolder, ModalRunner& runner)
    : dialog_(runner), ui_(dialog_, runner), context_(ui_, std::move(programFolder)) {
    dialog_.SetSaveHandler([this] { OnSave(context_); });
    // The portable folder and the zip ship README.txt beside the program;
    // the Linux package puts it with the system's documentation.
    dialog_.SetHelpFiles({QDir(QFile::decodeName(context_.ProgramFolder().c_str())).filePath(QStringLiteral("README.txt")),
                          QStringLiteral(TAMSIRO_INSTALLED_README)});
    // After a restore the dialog stays open, as after a failed Save.
    dialog_.SetRestoreHandler([this] {
        if (const Stick* stick = context_.ChosenStick()) (void)RestoreStockSounds(context_, *stick);
    });
}

bool TamsiroSession::Start() { return RunStartSequence(context_) && !ui_.DialogEnded(); }

void TamsiroSession::Run() {
    if (Start()) dialog_.exec();
}

namespace {

std::string ExecutableFolder() {
    const std::string executable = RunningExecutablePath();
    if (!executable.empty()) return ProgramFolderOf(executable);
    // Hosts that won't name the executable still let Qt find its folder.
    return HostFileName(QCoreApplication::applicationDirPath());
}

}  // namespace

std::string ProgramFolder() {
    const std::string folder = ExecutableFolder();
    if (QFileInfo(QFile::decodeName(folder.c_str())).isWritable()) return folder;
    // Installed for everyone (the Linux package puts tamsiro in /usr/bin),
    // the executable's folder is not the user's to fill: the sound sets and
    // the base archive then live in ~/Tamsiro.
    const QString own = QDir::home().filePath(QStringLiteral(TAMSIRO_APPLICATION_NAME));
    QDir().mkpath(own);
    return HostFileName(own);
}

}  // namespace tamsiro::qt
