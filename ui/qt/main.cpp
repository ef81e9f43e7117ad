#include "host/program_folder.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/modal_runner.h"
#include "ui/qt/tamsiro_session.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <exception>
#include <new>

#ifdef Q_OS_MACOS
#include <QMenu>
#include <QMenuBar>
#endif

namespace {

// The one place where an exception nobody expected ends up, from any event
// handler: the user is told ("Internal error: ...") and the program ends
// with status 1 instead of aborting.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            Report("out of memory");
        } catch (const std::exception& error) {
            Report(error.what());
        } catch (...) {
            Report("an unknown exception");
        }
        return false;
    }

private:
    static void Report(const char* what) {
        QMessageBox::critical(nullptr, QStringLiteral(TAMSIRO_APPLICATION_NAME),
                              QStringLiteral("Internal error: ") + QString::fromLocal8Bit(what));
        // Every event loop ends, the dialog's too.
        QCoreApplication::exit(1);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
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
