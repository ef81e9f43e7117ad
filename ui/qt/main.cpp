#include "host/program_folder.h"
#include "install/messages.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/modal_runner.h"
#include "ui/qt/tamsiro_session.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>
#include <exception>
#include <new>
#include <optional>

#ifdef Q_OS_MACOS
#include <QMenu>
#include <QMenuBar>
#endif

namespace {

void SetApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral(TAMSIRO_APPLICATION_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAMSIRO_VERSION));
}

// --help and --version are answered before any window system is asked for:
// they must print even where there is no display. Returns the exit code
// when the program should end there.
std::optional<int> AnswerInformationOptions(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    SetApplicationNames();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Installs custom sound sets on the memory stick of a robot running AiboMind 3\n"
                       "(English edition): a Main set, a Talkative Voice and a Games set.\n"
                       "\n"
                       "Put the downloaded DATA_*.ODA files in Tamsiro's folder (~/Tamsiro for the\n"
                       "installed program, else the program's own folder), insert the stick and start\n"
                       "tamsiro without options. It asks for the stick's memstick.ind, then shows the\n"
                       "sets to choose from. tamsiro-cli does the same from a terminal."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Unknown options may be Qt's own (-platform, -style): the window
    // system takes those later.
    (void)parser.parse(QCoreApplication::arguments());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        // The command's name, as tamsiro-cli --version gives its own.
        std::printf("tamsiro %s\n", TAMSIRO_VERSION);
        return 0;
    }
    return std::nullopt;
}

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
    if (const auto exitCode = AnswerInformationOptions(argc, argv)) return *exitCode;

    GuardedApplication app(argc, argv);
    SetApplicationNames();
    // The Wayland app id, which the desktop entry is named after.
    QGuiApplication::setDesktopFileName(QStringLiteral(TAMSIRO_APP_ID));
    QApplication::setWindowIcon(tamsiro::qt::ApplicationIcon());

    tamsiro::qt::ModalRunner runner;
    const std::string programFolder = tamsiro::qt::ProgramFolder();
    if (programFolder.empty()) {
        // Without a folder of its own, the backup and the work files would
        // land at the root of a drive.
        QWidget owner;
        tamsiro::qt::ShowWarning(runner, owner,
                                 QString::fromUtf8(tamsiro::kNoProgramFolderMessage.data(),
                                                   static_cast<qsizetype>(tamsiro::kNoProgramFolderMessage.size())));
        return 1;
    }
    tamsiro::qt::TamsiroSession session(programFolder, runner);
    session.WelcomeWhileEmpty(tamsiro::qt::IsInstalledProgramFolder(programFolder));

#ifdef Q_OS_MACOS
    // The About entry goes to the application menu, where Mac users look.
    QMenuBar menuBar;
    menuBar.addMenu(QStringLiteral("Help"))->addAction(session.Dialog().AboutAction());
#endif

    // Whatever the dialog ends with, the program ends.
    session.Run();
    return 0;
}
