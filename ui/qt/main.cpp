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

// Qt's own options, which the window system takes: accepted here, so
// that only what neither knows is a usage error.
const char* const kQtOptionsWithValue[] = {
    "platform",   "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowtitle",
    "title",      "qwindowicon",        "icon",          "session", "display",         "name",     "style",
    "stylesheet", "qmljsdebugger",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

const char* const kDescription =
    "Installs custom sound sets on the memory stick of a robot running AiboMind 3\n"
    "(English edition): a Main set, a Talkative Voice and a Games set.\n"
    "\n"
    "Put the downloaded DATA_*.ODA files in Tamsiro's folder (~/Tamsiro for the\n"
    "installed program, else the program's own folder), insert the stick and start\n"
    "tamsiro without options. It asks for the stick's memstick.ind, then shows the\n"
    "sets to choose from, starting from what the stick holds: in each group \"Keep\n"
    "what is on the stick\" or a set, and Save installs the groups you changed.\n"
    "\"Restore stock sounds...\" beside Save puts the stick back as it came: its\n"
    "own sound archive, voice and games. tamsiro-cli does the same from a terminal\n"
    "(tamsiro-cli install, tamsiro-cli restore).";

const char* const kAfterOptions =
    "\n"
    "Qt's own options (-platform, -style, -stylesheet, -reverse and the like) go to\n"
    "the window system.\n"
    "\n"
    "Exit status:\n"
    "  0  the dialog closed, after a Save or without one\n"
    "  1  no display to show the dialog on (use tamsiro-cli), no folder for\n"
    "     Tamsiro's files, or an internal error\n"
    "  2  an unknown option or an argument on the command line\n";

// Whether the window system has nothing to show windows on, where Qt would
// abort rather than say so: no platform asked for, and neither an X nor a
// Wayland display.
bool LacksDisplay(bool platformAskedFor) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !platformAskedFor && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    (void)platformAskedFor;
    return false;
#endif
}

// The command line is read before any window system is asked for: --help
// and --version print, and mistakes are told, even where there is no
// display. Returns the exit code when the program should end there.
std::optional<int> ReadCommandLine(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    SetApplicationNames();
    QCommandLineParser parser;
    // Qt's options are written with one dash (-platform xcb).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    const bool understood = parser.parse(QCoreApplication::arguments());
    if (understood && parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        std::fputs(kAfterOptions, stdout);
        return 0;
    }
    if (understood && parser.isSet(version)) {
        // The command's name, as tamsiro-cli --version gives its own.
        std::printf("tamsiro %s\n", TAMSIRO_VERSION);
        return 0;
    }
    if (!understood || !parser.positionalArguments().isEmpty()) {
        const QString why = understood
                                ? QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front())
                                : parser.errorText();
        std::fprintf(stderr, "tamsiro: %s\nRun tamsiro --help for its options.\n", qPrintable(why));
        return 2;
    }
    if (LacksDisplay(parser.isSet(QStringLiteral("platform")))) {
        std::fputs(
            "tamsiro: no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n"
            "From a terminal, tamsiro-cli installs and restores sound sets: see tamsiro-cli --help.\n",
            stderr);
        return 1;
    }
    return std::nullopt;
}

// The one place where an exception nobody expected ends up, from any event
// handler: the user is told ("Internal error: ...") and the program ends
// with status 1 instead of aborting.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;

    // Whether an internal error ended the program.
    bool Failed() const { return failed_; }

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
    void Report(const char* what) {
        failed_ = true;
        QMessageBox::critical(nullptr, QStringLiteral(TAMSIRO_APPLICATION_NAME),
                              QStringLiteral("Internal error: ") + QString::fromLocal8Bit(what));
        // Every event loop ends, the dialog's too.
        QCoreApplication::exit(1);
    }

    bool failed_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto exitCode = ReadCommandLine(argc, argv)) return *exitCode;

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

    // Whatever the dialog ends with, the program ends; an internal error
    // ended the dialog's loop too, and is no success.
    session.Run();
    return app.Failed() ? 1 : 0;
}
