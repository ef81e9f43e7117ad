#include "host/program_folder.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/modal_runner.h"
#include "ui/qt/tamsiro_session.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QWidget>

#ifdef Q_OS_MACOS
#include <QMenu>
#include <QMenuBar>
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(TAMSIRO_APPLICATION_NAME));
    QApplication::setWindowIcon(tamsiro::qt::ApplicationIcon());

    tamsiro::qt::ModalRunner runner;
    const std::string programFolder = tamsiro::qt::ProgramFolder();
    if (programFolder.empty()) {
        // Without a folder of its own, the backup and the work files would
        // land at the root of a drive.
        QWidget owner;
        tamsiro::qt::ShowWarning(runner, owner, QString::fromUtf8(tamsiro::kNoProgramFolderMessage.data(),
                                                                  static_cast<qsizetype>(tamsiro::kNoProgramFolderMessage.size())));
        return 1;
    }
    tamsiro::qt::TamsiroSession session(programFolder, runner);

#ifdef Q_OS_MACOS
    // The About entry goes to the application menu, where Mac users look.
    QMenuBar menuBar;
    menuBar.addMenu(QStringLiteral("Help"))->addAction(session.Dialog().AboutAction());
#endif

    // Whatever the dialog ends with, the program ends.
    session.Run();
    return 0;
}
