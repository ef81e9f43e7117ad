// The Qt dialog driven through whole runs: a generated stick and program
// folder in a temporary folder, the real session and dialog, and a runner
// that answers the chooser and the message boxes as a person would.

#include "ui/qt/selection_dialog.h"
#include "catalogue/sound_catalogue.h"
#include "host/removable_volumes.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "stick/stick_locator.h"
#include "tests/qt/scripted_runner.h"
#include "tests/support/workspace.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/qt/tamsiro_session.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

using tamsiro::samples::ReadBytes;
using tamsiro::samples::ReadText;

namespace {

using Bytes = std::vector<unsigned char>;

const QString kNewAudioSaved = QStringLiteral("message: New audio saved");
const QString kFewerParts = QStringLiteral("ask(no): You didn't select all three parts\nShould I install fewer parts?");
const QString kMaleVoice =
    QStringLiteral("ask(yes): Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)");
const QString kBackingUp = QStringLiteral(
    "message: Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait");
const QString kBackupComplete = QStringLiteral("message: Backup of DYNAUDIO.ODA complete");

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// A workspace and a session on its program folder.
// Members are destroyed in reverse: the session before the folders.
struct Bench {
    explicit Bench(const tamsiro::samples::SoundSetRows& rows) : workspace({.sets = rows}) {
        originalArchive = ReadBytes(Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"));
        session = std::make_unique<tamsiro::qt::TamsiroSession>(workspace.programFolder, runner);
        runner.dialog = &Dialog();
    }

    // False, with the reason, when the folders or sample files could not be made.
    bool Ready() const {
        if (!workspace.Problem().empty()) qWarning("workspace not made: %s", workspace.Problem().c_str());
        return workspace.Problem().empty();
    }
    std::string Stick(const std::string& relative) const { return workspace.OnStick(relative); }
    std::string Program(const std::string& name) const { return workspace.Program(name); }
    tamsiro::qt::SelectionDialog& Dialog() { return session->Dialog(); }
    // A row by its name: M, V or G for its group, then 1 to 6 from the top;
    // K and the group for its Keep row ("KM"); O, the group and the place
    // among the folder's other sets ("OV1").
    QAbstractButton* Control(const std::string& name) {
        const auto place = [](char group) { return std::string("MVG").find(group); };
        if (name.at(0) == 'K') return Dialog().KeepChoice(place(name.at(1)));
        if (name.at(0) == 'O') return Dialog().OtherChoices(place(name.at(1))).value(name.at(2) - '1');
        return Dialog().Choice(place(name.at(0)), name.at(1) - '1');
    }
    // The text of the row checked in each group, top to bottom.
    QStringList CheckedTexts() {
        QStringList texts;
        for (const QGroupBox* box : Dialog().findChildren<QGroupBox*>()) {
            QString checked;
            for (const QRadioButton* row : box->findChildren<QRadioButton*>()) {
                if (row->isChecked()) checked = row->text();
            }
            texts << checked;
        }
        return texts;
    }

    // A set the folder holds under a name of its own: a copy of one of the
    // six rows' sets, which the folder then does not hold under that name.
    bool AddOwnSet(const char* prefix, int row, const std::string& name) {
        const std::string made = workspace.root / "made";
        const tamsiro::samples::SoundSetRows rows{.main = {row}, .voice = {row}, .games = {row}};
        std::error_code error;
        return std::filesystem::create_directory(made, error) && tamsiro::samples::WriteSampleSoundSets(made, rows) &&
               std::filesystem::copy_file(
                   made + "/" + tamsiro::DataFileName(prefix, tamsiro::samples::RowFileLabel(row)),
                   Program(tamsiro::DataFileName(prefix, name)), error);
    }
    // Sets put on the stick before the dialog opens, as an earlier run would
    // have put them; empty labels leave a group out.
    bool Install(const QStringList& labels) {
        const auto label = [&](int group) {
            return labels.value(group).isEmpty() ? std::nullopt : std::optional(labels.value(group).toStdString());
        };
        if (!tamsiro::EnsureBaseArchive(workspace.context, workspace.stick)) return false;
        if (label(0) || label(1) || label(2)) {
            tamsiro::SaveSelection selection = tamsiro::SelectionOfLabels(label(0), label(2), label(1));
            selection.installFewerParts = tamsiro::GivenAnswer{true, "set up"};
            selection.removeMaleVoice = tamsiro::GivenAnswer{false, "set up"};
            if (!tamsiro::Save(workspace.context, workspace.stick, selection)) return false;
        }
        originalArchive = ReadBytes(Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"));
        return true;
    }
    // What the stick holds of each group, to tell which a Save changed.
    std::vector<Bytes> GroupFiles() const {
        return {ReadBytes(Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA")), ReadBytes(Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")),
                ReadBytes(Stick("OPEN-R/MW/DATA/P/AD013001.ODA"))};
    }

    void AnswerChooserWithStick() { runner.markers.push_back(QString::fromStdString(Stick("memstick.ind"))); }

    // The start sequence with the stick chosen, then the dialog on screen as
    // the user gets it.
    bool Open() {
        if (!Ready()) return false;
        AnswerChooserWithStick();
        if (!session->Start()) return false;
        Dialog().show();
        return QTest::qWaitForWindowExposed(&Dialog());
    }

    // A click where a person clicks a choice: on its indicator.
    void Click(const std::string& row) {
        QAbstractButton* button = Control(row);
        QVERIFY2(button != nullptr, row.c_str());
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
        QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
    }

    void Save() { QTest::mouseClick(Dialog().SaveButton(), Qt::LeftButton); }

    std::vector<std::string> Checked() {
        std::vector<std::string> rows;
        for (const char group : {'M', 'V', 'G'}) {
            for (char row = '1'; row <= '6'; ++row) {
                if (Control({group, row})->isChecked()) rows.push_back({group, row});
            }
        }
        return rows;
    }

    bool StickUntouched() {
        return ReadBytes(Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA")) == originalArchive &&
               !std::filesystem::exists(Stick("OPEN-R/MW/DATA/P/AD013001.ODA")) &&
               !std::filesystem::exists(Stick("OPEN-R/MW/DATA/P/AD013008.ODA")) &&
               !std::filesystem::exists(Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")) &&
               ReadText(Stick("OPEN-R/MW/DATA/P/MCUSLIST.CFG")).find("CUSVOICE") == std::string::npos &&
               ReadText(Stick("OPEN-R/MW/DATA/P/MCUS.CFG")).find("1 BASIC") != std::string::npos;
    }

    tamsiro::test::Workspace workspace;
    Bytes originalArchive;
    tamsiro::test::ScriptedRunner runner;
    std::unique_ptr<tamsiro::qt::TamsiroSession> session;
};

// Rows counted from 0; row 5 is MiniTilda.
tamsiro::samples::SoundSetRows SomeOfEach() { return {{0, 2}, {1, 5}, {1, 3}}; }

}  // namespace

class SelectionDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    // Start
    void chooserComesFirstAndAsksAgainAfterAWrongStick();
    void cancelledChooserEndsWithoutMessageOrWindow();
    void noSoundSetsEndsBeforeTheDialog();
    void installedProgramWelcomesWhileItsFolderIsEmpty();
    void welcomeOkOnAnEmptyFolderSaysSoAndAsksAgain_data();
    void welcomeOkOnAnEmptyFolderSaysSoAndAsksAgain();

    // The dialog
    void dialogShowsTheCatalogueWithAvailability();
    void eachGroupIsExclusiveOnItsOwn();
    void escapeCancelsAndEnterOnSavePressesIt();
    void aboutBoxFromTheContextMenu();
    void statusLineAndRestoreButtonShowTheStick();
    void dialogIsFixedCompactAndFitsSmallScreens();
    void f1OpensTheUsageTextOrSaysWhereItIs();
    void progressWindowOnlyForLongSteps();
    void setRowsShowEverySetOfTheFolder_data();
    void setRowsShowEverySetOfTheFolder();
    void dialogStartsFromTheStick_data();
    void dialogStartsFromTheStick();
    void restoreStartsTheRowsAgainFromTheStick();

    // Save
    void saveWithAllThreeGroups();
    void partialSelectionWithYes();
    void partialSelectionWithNo();
    void maleVoiceQuestionForTheSixthVoice_data();
    void maleVoiceQuestionForTheSixthVoice();
    void failingMainInstallLeavesTheDialogAsItWas();
    void failedGamesCopyIsReportedUnderTheBusyPointer();
    void saveChangesOnlyTheGroupsTheUserChanged_data();
    void saveChangesOnlyTheGroupsTheUserChanged();
    void saveInstallsTheFolderOwnSetsByTheirLabels();
};

void SelectionDialogTest::cleanup() {
    // Every window a test opened is gone, and so is the busy pointer.
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void SelectionDialogTest::chooserComesFirstAndAsksAgainAfterAWrongStick() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    const std::string downloads = bench.workspace.root / "Downloads";
    QVERIFY(std::filesystem::create_directory(downloads));
    QVERIFY(tamsiro::samples::WriteText(downloads + "/notes.txt", "not a stick"));
    bench.runner.markers.push_back(QString::fromStdString(downloads + "/notes.txt"));
    tamsiro::samples::StickOptions olderStick;
    olderStick.version.generation = 2;
    const std::string older = bench.workspace.root / "older";
    QVERIFY(tamsiro::samples::WriteSampleStick(older, olderStick));
    bench.runner.markers.push_back(QString::fromStdString(older + "/memstick.ind"));

    QVERIFY(bench.Open());

    QCOMPARE(bench.runner.chooserTitle, QStringLiteral("Open MEMSTICK.IND file at root of OpenR directory"));
    QCOMPARE(bench.runner.chooserFilters, QStringList{QStringLiteral("Memory Stick Files (*.ind)")});
    QCOMPARE(bench.runner.chooserMode, QFileDialog::ExistingFile);
    QCOMPARE(bench.runner.chooserInitialFile, QStringLiteral("memstick.ind"));
    QCOMPARE(bench.runner.transcript, (QStringList{
                                          QStringLiteral("prompt"),
                                          QStringLiteral("prompt"),
                                          QStringLiteral("message: Not AiboMind3\nUse other tools for AiboMind1 or 2"),
                                          QStringLiteral("prompt"),
                                          kBackingUp,
                                          kBackupComplete,
                                      }));
    // The chooser says why it asks again where no message did; with no
    // stick mounted on this machine it says that too.
    const QString noStick = tamsiro::FindStickRoots(tamsiro::CandidateVolumeRoots()).empty()
                                ? QStringLiteral("No memory stick found: insert it, then choose its memstick.ind")
                                : QString();
    QCOMPARE(bench.runner.chooserNotes,
             (QStringList{noStick,
                          QStringLiteral("No memstick.ind in %1/\nChoose the memstick.ind at the root of the memory "
                                         "stick")
                              .arg(QString::fromStdString(downloads)),
                          noStick}));
    QVERIFY(bench.runner.problems.isEmpty());
    // Everything at the start comes before the dialog is offered.
    QVERIFY(std::none_of(bench.runner.dialogVisibleAtBox.begin(), bench.runner.dialogVisibleAtBox.end(),
                         [](bool v) { return v; }));
    QCOMPARE(ReadBytes(bench.Program("DATA_BASEMIND3.ODA")), bench.originalArchive);
    QVERIFY(bench.Checked().empty());

    // A stick found by itself: the chooser opens in it on memstick.ind.
    bench.runner.chooserInitialFile.clear();
    QCOMPARE(bench.session->Ui().PromptForMarker(bench.workspace.stickFolder), std::nullopt);
    QCOMPARE(bench.runner.chooserFolder, QString::fromStdString(bench.workspace.stickFolder));
    QCOMPARE(bench.runner.chooserInitialFile, QStringLiteral("memstick.ind"));
    QCOMPARE(bench.runner.chooserTitle, QStringLiteral("Open MEMSTICK.IND file at root of OpenR directory"));
}

void SelectionDialogTest::cancelledChooserEndsWithoutMessageOrWindow() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    QVERIFY(!bench.session->Start());
    QCOMPARE(bench.runner.transcript, QStringList{QStringLiteral("prompt")});
    QVERIFY(bench.session->Ui().DialogEnded());
    QCOMPARE(bench.Dialog().result(), int(QDialog::Rejected));
    QVERIFY(!bench.Dialog().isVisible());
    QVERIFY(!std::filesystem::exists(bench.Program("DATA_BASEMIND3.ODA")));
}

void SelectionDialogTest::noSoundSetsEndsBeforeTheDialog() {
    Bench bench({});
    QVERIFY(bench.Ready());
    bench.AnswerChooserWithStick();
    QVERIFY(!bench.session->Start());
    // The backup is still made, then the program gives up.
    QCOMPARE(bench.runner.Messages(), (QStringList{
                                          kBackingUp,
                                          kBackupComplete,
                                          QStringLiteral("message: No M3 Audio installed - please download "
                                                         "some\nDATA_*.ODA files must be in same folder as program"),
                                      }));
    QVERIFY(!bench.Dialog().isVisible());
    QCOMPARE(bench.Dialog().result(), int(QDialog::Rejected));
    QVERIFY(std::filesystem::exists(bench.Program("DATA_BASEMIND3.ODA")));
}

void SelectionDialogTest::installedProgramWelcomesWhileItsFolderIsEmpty() {
    Bench bench({});
    QVERIFY(bench.Ready());
    bench.session->WelcomeWhileEmpty(true);
    const QString folder = QString::fromStdString(bench.workspace.programFolder);
    // %1: the program folder.
    const QString welcome = QStringLiteral(
        "welcome: Welcome to Tamsiro.\n\nPut the sound-set files you downloaded (DATA_M3_*.ODA, DATA_V3_*.ODA, "
        "DATA_G3A_*.ODA and DATA_G3B_*.ODA) in Tamsiro's folder:\n\n%1\n\nThen press OK, insert the memory stick and "
        "choose its memstick.ind.");

    // Closed with the folder still empty: nothing to install, so nothing
    // happens, not even the backup.
    bench.AnswerChooserWithStick();
    QVERIFY(!bench.session->Start());
    QCOMPARE(bench.runner.transcript, QStringList{welcome.arg(folder)});
    QVERIFY(!std::filesystem::exists(bench.Program("DATA_BASEMIND3.ODA")));

    // "Open folder" shows the folder and keeps the welcome up; the sets
    // put in meanwhile take the user on to the chooser.
    Bench second({});
    QVERIFY(second.Ready());
    second.session->WelcomeWhileEmpty(true);
    second.runner.welcomeAnswers = {QMessageBox::Open, QMessageBox::Ok};
    second.runner.whenDocumentOpened = [&second] {
        QVERIFY(tamsiro::samples::WriteSampleSoundSets(second.workspace.programFolder, {.main = {0}}));
    };
    QVERIFY(second.Open());
    QCOMPARE(second.runner.openedDocuments,
             QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(second.workspace.programFolder))});
    QCOMPARE(
        second.runner.transcript.mid(0, 3),
        (QStringList{welcome.arg(QString::fromStdString(second.workspace.programFolder)),
                     welcome.arg(QString::fromStdString(second.workspace.programFolder)), QStringLiteral("prompt")}));
    QVERIFY(second.runner.problems.isEmpty());
}

void SelectionDialogTest::welcomeOkOnAnEmptyFolderSaysSoAndAsksAgain_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("part");
    QTest::newRow("nothing there") << QStringList{} << QString();
    QTest::newRow("a lone Games file of a row")
        << QStringList{QStringLiteral("DATA_G3A_Tilda.ODA")} << QStringLiteral("DATA_G3B_Tilda.ODA");
    QTest::newRow("a lone Games file of the folder's own")
        << QStringList{QStringLiteral("DATA_G3B_Zed.ODA")} << QStringLiteral("DATA_G3A_Zed.ODA");
    QTest::newRow("no set, only other files") << QStringList{QStringLiteral("DATA_X3_Tilda.ODA")} << QString();
}

void SelectionDialogTest::welcomeOkOnAnEmptyFolderSaysSoAndAsksAgain() {
    QFETCH(QStringList, files);
    QFETCH(QString, part);
    Bench bench({});
    QVERIFY(bench.Ready());
    for (const QString& file : files) QVERIFY(tamsiro::samples::WriteText(bench.Program(file.toStdString()), "part"));
    bench.session->WelcomeWhileEmpty(true);
    const QString folder = QString::fromStdString(bench.workspace.programFolder);
    QString again = QStringLiteral(
                        "welcome: No sound sets in %1 yet.\n\nPut the downloaded DATA_*.ODA files there, then press "
                        "OK. Cancel quits.")
                        .arg(folder);
    if (!part.isEmpty()) again += QStringLiteral("\n\nOnly part of a set is there: %1 is missing.").arg(part);

    // OK says the folder is still empty and asks again; Cancel then ends
    // before anything, the chooser and the backup included.
    bench.runner.welcomeAnswers = {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Cancel};
    bench.AnswerChooserWithStick();
    QVERIFY(!bench.session->Start());
    QCOMPARE(bench.runner.transcript.size(), 3);
    QVERIFY(bench.runner.transcript[0].startsWith(QStringLiteral("welcome: Welcome to Tamsiro.")));
    QCOMPARE(bench.runner.transcript.mid(1), (QStringList{again, again}));
    QVERIFY(bench.runner.problems.isEmpty());
    QCOMPARE(bench.Dialog().result(), int(QDialog::Rejected));
    QVERIFY(!std::filesystem::exists(bench.Program("DATA_BASEMIND3.ODA")));

    // The sets put in while the folder is shown take the user on.
    Bench later({});
    QVERIFY(later.Ready());
    later.session->WelcomeWhileEmpty(true);
    later.runner.welcomeAnswers = {QMessageBox::Ok, QMessageBox::Open, QMessageBox::Ok};
    later.runner.whenDocumentOpened = [&later] {
        QVERIFY(tamsiro::samples::WriteSampleSoundSets(later.workspace.programFolder, {.voice = {1}}));
    };
    QVERIFY(later.Open());
    QCOMPARE(later.runner.transcript.size(), 6);  // three welcomes, the chooser, the backup's two
    QCOMPARE(later.runner.transcript[3], QStringLiteral("prompt"));
}

void SelectionDialogTest::dialogShowsTheCatalogueWithAvailability() {
    Bench bench(SomeOfEach());
    // A Games set with only its first file is not available.
    std::filesystem::remove(bench.Program("DATA_G3B_Barnaby.ODA"));
    QVERIFY(bench.Open());
    auto& dialog = bench.Dialog();

    QCOMPARE(dialog.windowTitle(), QStringLiteral("AiboMind 3 Customized Sounds"));
    QVERIFY(dialog.GroupsArea()->widget()->findChild<QLabel*>() != nullptr);
    QCOMPARE(dialog.GroupsArea()->widget()->findChild<QLabel*>()->text(), QStringLiteral("Test Version .01"));
    QStringList groups;
    for (const QGroupBox* box : dialog.findChildren<QGroupBox*>()) groups << box->title();
    QCOMPARE(groups, (QStringList{QStringLiteral("Main"), QStringLiteral("Talkative Voice"),
                                  QStringLiteral("Games (Demo, Simon)")}));
    // Top to bottom in that order on screen too.
    const auto boxes = dialog.findChildren<QGroupBox*>();
    QVERIFY(boxes[0]->y() < boxes[1]->y() && boxes[1]->y() < boxes[2]->y());

    const std::vector<std::string> available = {"M1", "M3", "V2", "V6", "G2"};
    for (std::size_t place = 0; place < tamsiro::kCategoriesInDialogOrder.size(); ++place) {
        const auto& category = tamsiro::kCategoriesInDialogOrder[place];
        for (int row = 0; row < tamsiro::kRowsPerCategory; ++row) {
            const std::string id{"MVG"[place], static_cast<char>('1' + row)};
            QAbstractButton* button = bench.Control(id);
            QVERIFY(qobject_cast<QRadioButton*>(button) != nullptr);
            QCOMPARE(button->text(), QString::fromLatin1(tamsiro::kRowLabels[row]));
            QCOMPARE(button->parentWidget()->property("title").toString(), QString::fromLatin1(category.caption));
            const bool expected = std::find(available.begin(), available.end(), id) != available.end();
            QVERIFY2(button->isEnabled() == expected, id.c_str());
        }
    }

    // A greyed-out choice cannot be checked.
    bench.Click("M2");
    bench.Click("G4");
    QVERIFY(bench.Checked().empty());

    QVERIFY(!dialog.SaveButton()->isDefault());
    QVERIFY(!dialog.CancelButton()->isDefault());
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.SaveButton()));
    QVERIFY(!dialog.windowIcon().isNull());
    const auto sizes = dialog.windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
}

void SelectionDialogTest::eachGroupIsExclusiveOnItsOwn() {
    Bench bench({{0, 1, 2}, {0, 1}, {0, 1}});
    QVERIFY(bench.Open());
    bench.Click("M1");
    bench.Click("V1");
    bench.Click("G1");
    QCOMPARE(bench.Checked(), (std::vector<std::string>{"M1", "V1", "G1"}));
    bench.Click("M3");
    QCOMPARE(bench.Checked(), (std::vector<std::string>{"M3", "V1", "G1"}));
    bench.Click("G2");
    bench.Click("V2");
    QCOMPARE(bench.Checked(), (std::vector<std::string>{"M3", "V2", "G2"}));
    // What the core reads back is what is on screen.
    const auto& dialog = bench.Dialog();
    QVERIFY(dialog.CheckedRow(tamsiro::kMainPlace) == 2 && dialog.CheckedRow(tamsiro::kVoicePlace) == 1 &&
            dialog.CheckedRow(tamsiro::kGamesPlace) == 1);
    QCOMPARE(bench.Control("M6")->text(), QStringLiteral("MiniTilda (fits in 32MB)"));
    QVERIFY(bench.runner.Messages() == (QStringList{kBackingUp, kBackupComplete}));
}

void SelectionDialogTest::escapeCancelsAndEnterOnSavePressesIt() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    QTest::keyClick(bench.Dialog().SaveButton(), Qt::Key_Return);
    QCOMPARE(bench.runner.Messages().last(), QStringLiteral("message: Please select something"));
    QVERIFY(bench.Dialog().isVisible());

    // Enter on a choice closes nothing and installs nothing.
    bench.Click("M1");
    QTest::keyClick(bench.Control("M1"), Qt::Key_Return);
    QVERIFY(bench.Dialog().isVisible());

    QTest::keyClick(&bench.Dialog(), Qt::Key_Escape);
    QVERIFY(!bench.Dialog().isVisible());
    QCOMPARE(bench.Dialog().result(), int(QDialog::Rejected));
    QCOMPARE(bench.runner.Messages().size(), 3);
    QVERIFY(bench.StickUntouched());
}

void SelectionDialogTest::aboutBoxFromTheContextMenu() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    auto& dialog = bench.Dialog();
    QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(dialog.actions().contains(dialog.AboutAction()));
    QCOMPARE(dialog.AboutAction()->text(), QStringLiteral("&About Tamsiro..."));
    QCOMPARE(dialog.AboutAction()->menuRole(), QAction::AboutRole);

    dialog.AboutAction()->trigger();
    QCOMPARE(bench.runner.aboutTexts.value(0), QStringLiteral("About Dravik"));
    QCOMPARE(bench.runner.aboutTexts.value(1), QStringLiteral("Tamsiro V.02"));
    QCOMPARE(bench.runner.aboutTexts.size(), 4);  // caption, version, two credit lines
    QVERIFY(bench.runner.aboutHadIcon);
    QVERIFY(bench.runner.aboutOkIsDefault);
    QVERIFY(dialog.isVisible());
}

void SelectionDialogTest::statusLineAndRestoreButtonShowTheStick() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    auto& dialog = bench.Dialog();
    const QString stock = QStringLiteral("Memory stick: %1\nMain: stock \u00b7 Voice: stock \u00b7 Games: none")
                              .arg(QString::fromStdString(bench.workspace.stickFolder));
    QVERIFY(dialog.StickStatusLine()->isVisible());
    QCOMPARE(dialog.StickStatusLine()->text(), stock);

    // Restore is a button beside Save and Cancel; on a stick Tamsiro never
    // changed it says so and asks nothing.
    QPushButton* restore = dialog.RestoreButton();
    QVERIFY(restore->isVisible());
    QCOMPARE(restore->text(), QStringLiteral("Restore stock sounds..."));
    QCOMPARE(restore->y(), dialog.SaveButton()->y());
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(bench.runner.Messages().last(),
             QStringLiteral("message: No stock files were kept for this memory stick\nNothing was changed"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.StickStatusLine()->text(), stock);
}

void SelectionDialogTest::dialogIsFixedCompactAndFitsSmallScreens() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    auto& dialog = bench.Dialog();
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
    // No taller than the Windows dialog (295 dialog units) in this font,
    // but for the stick's status line and the Keep rows, which only the Qt
    // dialog has.
    const QFontMetrics metrics = dialog.fontMetrics();
    const int statusLine = dialog.StickStatusLine()->height() + dialog.layout()->spacing();
    const int keepRows = 3 * dialog.KeepChoice(0)->height();
    QVERIFY2(dialog.height() <= (295 * metrics.height() + 4) / 8 + statusLine + keepRows,
             qPrintable(QString::number(dialog.height())));
    QCOMPARE(dialog.GroupsArea()->verticalScrollBar()->maximum(), 0);
    // The groups take the whole width: no empty band beside them.
    for (const QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        QCOMPARE(box->width(), dialog.GroupsArea()->viewport()->width());
    }

    // A 1366 x 768 laptop at 125 % (1093 x 614 logical pixels, less a
    // panel), then a screen far too small: Save and Cancel stay in view
    // and the groups scroll to their last row.
    const QRect original = dialog.geometry();
    for (const QRect& screen : {QRect(0, 0, 1093, 574), QRect(0, 0, 640, 360)}) {
        dialog.FitTo(screen);
        dialog.layout()->activate();
        QVERIFY(dialog.height() < screen.height() && dialog.width() <= screen.width());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        for (const QWidget* button :
             {static_cast<QWidget*>(dialog.SaveButton()), static_cast<QWidget*>(dialog.CancelButton())}) {
            QVERIFY(dialog.rect().contains(QRect(button->mapTo(&dialog, QPoint(0, 0)), button->size())));
        }
        QWidget* lastRow = bench.Control("G6");
        dialog.GroupsArea()->ensureWidgetVisible(lastRow);
        const QRect lastInArea(lastRow->mapTo(dialog.GroupsArea()->viewport(), QPoint(0, 0)), lastRow->size());
        QVERIFY(dialog.GroupsArea()->viewport()->rect().contains(lastInArea));
    }
    QVERIFY(dialog.GroupsArea()->verticalScrollBar()->maximum() > 0);
    QVERIFY(dialog.height() < original.height());
}

void SelectionDialogTest::f1OpensTheUsageTextOrSaysWhereItIs() {
    if (QFileInfo::exists(QStringLiteral(TAMSIRO_INSTALLED_README)))
        QSKIP("the package's README.txt is installed here");
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    const QString whereHelpIs =
        QStringLiteral("message: Help: see README.txt beside the program, or the README at the project's home.");
    const int startMessages = bench.runner.Messages().size();

    // No README.txt anywhere.
    QTest::keyClick(bench.Control("M1"), Qt::Key_F1);
    QVERIFY(bench.runner.openedDocuments.isEmpty());
    QCOMPARE(bench.runner.Messages().mid(startMessages), QStringList{whereHelpIs});

    // One beside the program, from anywhere in the dialog.
    QVERIFY(tamsiro::samples::WriteText(bench.Program("README.txt"), "usage"));
    QTest::keyClick(bench.Dialog().SaveButton(), Qt::Key_F1);
    QCOMPARE(bench.runner.openedDocuments,
             QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(bench.Program("README.txt")))});
    QCOMPARE(bench.runner.Messages().size(), startMessages + 1);

    // The desktop has nothing to show it with.
    bench.runner.desktopOpensDocuments = false;
    QTest::keyClick(bench.Control("G2"), Qt::Key_F1);
    QCOMPARE(bench.runner.Messages().mid(startMessages),
             (QStringList{whereHelpIs, QStringLiteral("message: Help: see ") +
                                           QString::fromStdString(bench.Program("README.txt"))}));
    QVERIFY(bench.runner.problems.isEmpty());
    QVERIFY(bench.Dialog().isVisible());
}

void SelectionDialogTest::progressWindowOnlyForLongSteps() {
    using std::chrono::milliseconds;
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    auto& ui = bench.session->Ui();
    std::chrono::steady_clock::time_point now{};
    ui.UseClock([&now] { return now; });

    // A step over within half a second shows nothing, and the next step
    // is timed from its own start.
    ui.ShowProgress({"Checking the stick", 0, 100});
    now += milliseconds(450);
    ui.ShowProgress({"Checking the stick", 100, 100});
    ui.EndProgress();
    now += milliseconds(300);
    ui.ShowProgress({"Copying DYNAUDIO.ODA to memory stick", 0, 40'000'000'000});
    QCOMPARE(ui.ProgressWindow(), nullptr);

    // Past half a second the window opens, modal, over the dialog.
    now += milliseconds(550);
    ui.ShowProgress({"Copying DYNAUDIO.ODA to memory stick", 10'000'000'000, 40'000'000'000});
    QProgressDialog* progress = ui.ProgressWindow();
    QVERIFY(progress != nullptr && progress->isVisible() && progress->isModal());
    QCOMPARE(progress->parentWidget(), static_cast<QWidget*>(&bench.Dialog()));
    QCOMPARE(progress->labelText(), QStringLiteral("Copying DYNAUDIO.ODA to memory stick"));
    QCOMPARE(progress->value() * 4, progress->maximum());
    // Nothing ends it but the step: no Cancel, and Escape and closing are refused.
    QVERIFY(progress->findChildren<QPushButton*>().isEmpty());
    QTest::keyClick(progress, Qt::Key_Escape);
    progress->close();
    QVERIFY(progress->isVisible());
    // Captions of any length leave the window as it is; a long one is cut
    // short, whole in its tooltip.
    const QSize size = progress->size();
    const QString longCaption = QStringLiteral("Step 3 of 4: Copying ") + QString(200, QLatin1Char('X')) +
                                QStringLiteral(".ODA to memory stick");
    ui.ShowProgress({longCaption.toStdString(), 20'000'000'000, 40'000'000'000});
    QCOMPARE(progress->size(), size);
    QVERIFY(progress->labelText().endsWith(QChar(0x2026)));
    QVERIFY(progress->labelText().size() < longCaption.size());
    QCOMPARE(progress->findChild<QLabel*>()->toolTip(), longCaption);
    ui.ShowProgress({"Merging sounds", 30'000'000'000, 40'000'000'000});
    QCOMPARE(progress->size(), size);
    QCOMPARE(progress->labelText(), QStringLiteral("Merging sounds"));
    QCOMPARE(progress->findChildren<QProgressBar*>().size(), 1);
    ui.EndProgress();
    QCOMPARE(ui.ProgressWindow(), nullptr);

    // A box after a long step never opens under the progress window.
    ui.ShowProgress({"Merging sounds", 1, 2});
    now += milliseconds(600);
    ui.ShowProgress({"Merging sounds", 1, 2});
    QVERIFY(ui.ProgressWindow() != nullptr);
    ui.ShowMessage("Not Saved");
    QCOMPARE(ui.ProgressWindow(), nullptr);
    QCOMPARE(bench.runner.progressAtBox.back(), false);
    QCOMPARE(bench.runner.Messages().last(), QStringLiteral("message: Not Saved"));
}

void SelectionDialogTest::setRowsShowEverySetOfTheFolder_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("group");
    // "text|tooltip" of each row after the six, top to bottom; no tooltip
    // for a row that can be chosen.
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<QString>("greyedRow");
    QTest::addColumn<QString>("greyedTip");
    QTest::newRow("a Main set of its own")
        << QStringList{QStringLiteral("DATA_M3_Mine.ODA")} << "M" << QStringList{QStringLiteral("Mine|")} << "M2"
        << "Needs DATA_M3_JumpyNoor.ODA in Tamsiro's folder";
    QTest::newRow("a browser's copy is a set of its own")
        << QStringList{QStringLiteral("DATA_V3_JumpyNoor (1).ODA")} << "V"
        << QStringList{QStringLiteral("JumpyNoor (1)|")} << "V1"
        << "Needs DATA_V3_Tilda.ODA in Tamsiro's folder";
    QTest::newRow("a lone first Games file")
        << QStringList{QStringLiteral("DATA_G3A_Zed.ODA")} << "G"
        << QStringList{QStringLiteral("Zed|Needs DATA_G3B_Zed.ODA in Tamsiro's folder")} << "G1"
        << "Needs DATA_G3A_Tilda.ODA in Tamsiro's folder";
    QTest::newRow("a lone second Games file of a row")
        << QStringList{QStringLiteral("DATA_G3B_Zorbit.ODA")} << "G" << QStringList{} << "G5"
        << "Needs DATA_G3A_Zorbit.ODA in Tamsiro's folder";
    QTest::newRow("sorted, a row's set in other letters is no other set")
        << QStringList{QStringLiteral("DATA_M3_zeta.ODA"), QStringLiteral("DATA_M3_Alpha.ODA"),
                       QStringLiteral("DATA_M3_TILDA.ODA")}
        << "M" << QStringList{QStringLiteral("Alpha|"), QStringLiteral("zeta|")} << "M6"
        << "Needs DATA_M3_MiniTilda.ODA in Tamsiro's folder";
    QTest::newRow("an ampersand is shown, not a shortcut") << QStringList{QStringLiteral("DATA_V3_Tom&Jerry.ODA")}
                                                           << "V" << QStringList{QStringLiteral("Tom&&Jerry|")} << "V5"
                                                           << "Needs DATA_V3_Zorbit.ODA in Tamsiro's folder";
}

void SelectionDialogTest::setRowsShowEverySetOfTheFolder() {
    QFETCH(QStringList, files);
    QFETCH(QString, group);
    QFETCH(QStringList, others);
    QFETCH(QString, greyedRow);
    QFETCH(QString, greyedTip);
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    for (const QString& file : files) {
        QVERIFY(tamsiro::samples::WriteText(bench.Program(file.toStdString()), "a set of its own"));
    }
    QVERIFY(bench.Open());
    auto& dialog = bench.Dialog();
    const std::size_t place = QStringLiteral("MVG").indexOf(group);

    // Keep first, the six in their order, then the others.
    QAbstractButton* keep = dialog.KeepChoice(place);
    QCOMPARE(keep->text(), QStringLiteral("Keep what is on the stick"));
    QVERIFY(keep->isEnabled() && keep->isChecked());
    QVERIFY(keep->y() < dialog.Choice(place, 0)->y());
    QStringList shown;
    int lastY = dialog.Choice(place, tamsiro::kRowsPerCategory - 1)->y();
    for (QAbstractButton* other : dialog.OtherChoices(place)) {
        shown << other->text() + QLatin1Char('|') + other->toolTip();
        QCOMPARE(other->isEnabled(), other->toolTip().isEmpty());
        QCOMPARE(other->parentWidget(), keep->parentWidget());
        QVERIFY(other->y() > lastY);
        lastY = other->y();
    }
    QCOMPARE(shown, others);
    // The window was measured with the other rows in it: measured again
    // now, it keeps its size.
    const QSize opened = dialog.size();
    dialog.FitTo(dialog.screen()->availableGeometry());
    QCOMPARE(dialog.size(), opened);
    for (std::size_t otherPlace = 0; otherPlace < tamsiro::kCategoriesInDialogOrder.size(); ++otherPlace) {
        if (otherPlace != place) QVERIFY(dialog.OtherChoices(otherPlace).isEmpty());
    }

    QAbstractButton* greyed = bench.Control(greyedRow.toStdString());
    QVERIFY(!greyed->isEnabled());
    QCOMPARE(greyed->toolTip(), greyedTip);
    // A greyed-out row cannot be checked; one that can, reads back as its label.
    for (QAbstractButton* other : dialog.OtherChoices(place)) {
        other->click();
        const QString label = other->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
        QCOMPARE(dialog.CheckedSet(place).value_or(std::string()),
                 other->isEnabled() ? label.toStdString() : std::string());
    }
}

void SelectionDialogTest::dialogStartsFromTheStick_data() {
    QTest::addColumn<QStringList>("installed");  // Main, Voice, Games; empty: left out
    QTest::addColumn<QStringList>("checked");
    const QString keep = QStringLiteral("Keep what is on the stick");
    QTest::newRow("a stick as it came") << QStringList{} << QStringList{keep, keep, keep};
    QTest::newRow("a set in each group") << QStringList{QStringLiteral("SqueakyIda"), QStringLiteral("MiniTilda"),
                                                        QStringLiteral("Barnaby")}
                                         << QStringList{QStringLiteral("SqueakyIda"),
                                                        QStringLiteral("MiniTilda (fits in 32MB)"),
                                                        QStringLiteral("Barnaby")};
    QTest::newRow("a voice only") << QStringList{QString(), QStringLiteral("JumpyNoor"), QString()}
                                  << QStringList{keep, QStringLiteral("JumpyNoor"), keep};
    QTest::newRow("a Main set of the folder's own")
        << QStringList{QStringLiteral("Mine"), QString(), QString()} << QStringList{QStringLiteral("Mine"), keep, keep};
}

void SelectionDialogTest::dialogStartsFromTheStick() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, checked);
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    QVERIFY(bench.AddOwnSet("M3", 4, "Mine"));
    QVERIFY(bench.Install(installed));
    QVERIFY(bench.Open());
    QCOMPARE(bench.CheckedTexts(), checked);
    // The status line says the same.
    for (const QString& label : installed) {
        if (!label.isEmpty()) QVERIFY(bench.Dialog().StickStatusLine()->text().contains(label));
    }
}

void SelectionDialogTest::restoreStartsTheRowsAgainFromTheStick() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    QVERIFY(bench.Install({QStringLiteral("Tilda"), QStringLiteral("JumpyNoor"), QStringLiteral("Barnaby")}));
    QVERIFY(bench.Open());
    bench.Click("M3");
    bench.Click("KV");
    QCOMPARE(bench.CheckedTexts(),
             (QStringList{QStringLiteral("SqueakyIda"), QStringLiteral("Keep what is on the stick"),
                          QStringLiteral("Barnaby")}));

    // Declined: the choices stay.
    QTest::mouseClick(bench.Dialog().RestoreButton(), Qt::LeftButton);
    QCOMPARE(bench.CheckedTexts()[0], QStringLiteral("SqueakyIda"));
    // Done: every group shows the stick as it now is.
    bench.runner.answers = {QMessageBox::Yes};
    QTest::mouseClick(bench.Dialog().RestoreButton(), Qt::LeftButton);
    QCOMPARE(bench.runner.Messages().last(), QStringLiteral("message: Stock sounds restored"));
    const QString keep = QStringLiteral("Keep what is on the stick");
    QCOMPARE(bench.CheckedTexts(), (QStringList{keep, keep, keep}));
    QCOMPARE(bench.Dialog().StickStatusLine()->text().section(QLatin1Char('\n'), 1),
             QStringLiteral("Main: stock \u00b7 Voice: stock \u00b7 Games: none"));
}

void SelectionDialogTest::saveWithAllThreeGroups() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    bench.Click("M1");
    bench.Click("V2");
    bench.Click("G2");
    bench.Save();

    QCOMPARE(bench.runner.Messages(), (QStringList{kBackingUp, kBackupComplete, kNewAudioSaved}));
    QVERIFY(bench.runner.problems.isEmpty());
    QVERIFY(!bench.Dialog().isVisible());
    QCOMPARE(bench.Dialog().result(), int(QDialog::Accepted));

    const Bytes archive = ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"));
    QVERIFY(archive != bench.originalArchive);
    // Entry 0 now carries Tilda's sound; entry 1 kept the stick's own.
    QVERIFY(Contains(archive, tamsiro::samples::MainSetEntries(40, 3, 0).front().data));
    QVERIFY(Contains(archive, tamsiro::samples::StickSoundEntries(40).at(1).data));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/AD013001.ODA")),
             ReadBytes(bench.Program("DATA_G3A_JumpyNoor.ODA")));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/AD013008.ODA")),
             ReadBytes(bench.Program("DATA_G3B_JumpyNoor.ODA")));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")),
             ReadBytes(bench.Program("DATA_V3_JumpyNoor.ODA")));
    const std::string voices = ReadText(bench.Stick("OPEN-R/MW/DATA/P/MCUSLIST.CFG"));
    QVERIFY(voices.find("[VOICE]\r\n1\r\n1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\r\n#1 1 "
                        "/MS/OPEN-R/MW/DATA/E/AD003000.ODA\r\n[SOUND]") != std::string::npos);
    QCOMPARE(ReadText(bench.Stick("OPEN-R/MW/DATA/P/MCUS.CFG")),
             std::string("# modes\r\n0 BASIC\r\n1 VOICE\r\n0 USER\r\n1 DANCE\r\n"));
    QVERIFY(std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/E/ad003000.oda")));
    QVERIFY(!std::filesystem::exists(bench.Program("TMP.ODA")));
}

void SelectionDialogTest::partialSelectionWithYes() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    bench.Click("V2");
    bench.runner.answers = {QMessageBox::Yes};
    bench.Save();

    // Not the sixth voice: no question about the male voice.
    QCOMPARE(bench.runner.Messages().mid(2), (QStringList{kFewerParts, kNewAudioSaved}));
    QCOMPARE(bench.Dialog().result(), int(QDialog::Accepted));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")),
             ReadBytes(bench.Program("DATA_V3_JumpyNoor.ODA")));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA")), bench.originalArchive);
    QVERIFY(!std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/P/AD013001.ODA")));
    QVERIFY(std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/P/MCUSLIST.BAK")));
}

void SelectionDialogTest::partialSelectionWithNo() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    bench.Click("M3");
    bench.Click("G2");
    bench.runner.answers = {QMessageBox::No};
    bench.Save();

    QCOMPARE(bench.runner.Messages().mid(2), QStringList{kFewerParts});
    QVERIFY(bench.Dialog().isVisible());
    QCOMPARE(bench.Checked(), (std::vector<std::string>{"M3", "G2"}));
    QVERIFY(bench.StickUntouched());

    // The user may then pick the missing group and save everything.
    bench.Click("V6");
    bench.runner.answers = {QMessageBox::No};
    bench.Save();
    QCOMPARE(bench.runner.Messages().mid(3), (QStringList{kMaleVoice, kNewAudioSaved}));
    QCOMPARE(bench.Dialog().result(), int(QDialog::Accepted));
}

void SelectionDialogTest::maleVoiceQuestionForTheSixthVoice_data() {
    QTest::addColumn<bool>("remove");
    QTest::newRow("Yes removes the male voice") << true;
    QTest::newRow("No keeps it") << false;
}

void SelectionDialogTest::maleVoiceQuestionForTheSixthVoice() {
    QFETCH(bool, remove);
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    bench.Click("M1");
    bench.Click("V6");
    bench.Click("G2");
    bench.runner.answers = {remove ? QMessageBox::Yes : QMessageBox::No};
    bench.Save();

    QCOMPARE(bench.runner.Messages().mid(2), (QStringList{kMaleVoice, kNewAudioSaved}));
    // The question comes after the voice is copied, without the busy pointer.
    QCOMPARE(bench.runner.busyAtBox.at(2), false);
    QCOMPARE(std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/E/ad003000.oda")), !remove);
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")),
             ReadBytes(bench.Program("DATA_V3_MiniTilda.ODA")));
    const std::string voices = ReadText(bench.Stick("OPEN-R/MW/DATA/P/MCUSLIST.CFG"));
    QCOMPARE(voices.find("# -- AD003000.ODA file deleted to free up space\r\n") != std::string::npos, remove);
    QVERIFY(voices.find("#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\r\n") != std::string::npos);
}

void SelectionDialogTest::failingMainInstallLeavesTheDialogAsItWas() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    // The kept base archive has gone bad since the start.
    QVERIFY(tamsiro::samples::WriteText(bench.Program("DATA_BASEMIND3.ODA"), "not an archive"));
    bench.Click("M3");
    bench.Click("V6");
    bench.Click("G2");
    bench.Save();

    QCOMPARE(bench.runner.Messages().mid(2),
             QStringList{QStringLiteral("message: Failed to open base .ODA file\nNot Saved")});
    QVERIFY(bench.Dialog().isVisible());
    QCOMPARE(bench.Checked(), (std::vector<std::string>{"M3", "V6", "G2"}));
    QVERIFY(bench.StickUntouched());
    QVERIFY(std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/E/ad003000.oda")));

    // With the base archive put back, the same choices save.
    QVERIFY(tamsiro::samples::WriteBytes(bench.Program("DATA_BASEMIND3.ODA"), bench.originalArchive));
    bench.runner.answers = {QMessageBox::Yes};
    bench.Save();
    QCOMPARE(bench.runner.Messages().mid(3), (QStringList{kMaleVoice, kNewAudioSaved}));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/AD013001.ODA")),
             ReadBytes(bench.Program("DATA_G3A_JumpyNoor.ODA")));
    QVERIFY(!std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/E/ad003000.oda")));
}

void SelectionDialogTest::failedGamesCopyIsReportedUnderTheBusyPointer() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Open());
    // The set's first file has gone since the dialog opened.
    std::filesystem::remove(bench.Program("DATA_G3A_JumpyNoor.ODA"));
    bench.Click("G2");
    bench.runner.answers = {QMessageBox::Yes};
    bench.Save();

    QCOMPARE(bench.runner.Messages().mid(2),
             (QStringList{kFewerParts, QStringLiteral("message: Could not copy game#1 audio to memory stick\n") +
                                           QString::fromStdString(bench.Program("DATA_G3A_JumpyNoor.ODA")) +
                                           QStringLiteral(" is missing")}));
    QCOMPARE(bench.runner.busyAtBox, (std::vector<bool>{false, false, false, true}));
    // The pointer is back once the Save has given up.
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(bench.Dialog().isVisible());
    QCOMPARE(bench.Checked(), std::vector<std::string>{"G2"});
    QVERIFY(!std::filesystem::exists(bench.Stick("OPEN-R/MW/DATA/P/AD013001.ODA")));
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA")), bench.originalArchive);
}

void SelectionDialogTest::saveChangesOnlyTheGroupsTheUserChanged_data() {
    QTest::addColumn<QStringList>("installed");  // Main, Voice, Games; empty: left out
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<QString>("changed");  // the groups the stick then holds otherwise
    const QStringList all{QStringLiteral("Tilda"), QStringLiteral("JumpyNoor"), QStringLiteral("JumpyNoor")};
    const QStringList mainOnly{QStringLiteral("Tilda"), QString(), QString()};
    const QString saved = kNewAudioSaved;
    QTest::newRow("every group holds a set, one changes")
        << all << QStringList{"M3"} << QList<QMessageBox::StandardButton>{} << QStringList{saved} << "M";
    QTest::newRow("a group left without a set is asked about")
        << mainOnly << QStringList{"V2"} << QList{QMessageBox::Yes} << QStringList{kFewerParts, saved} << "V";
    QTest::newRow("declined, nothing changes")
        << QStringList{} << QStringList{"V2"} << QList{QMessageBox::No} << QStringList{kFewerParts} << "";
    QTest::newRow("Keep after a pick is no pick")
        << QStringList{} << QStringList{"M1", "KM"} << QList<QMessageBox::StandardButton>{}
        << QStringList{QStringLiteral("message: Please select something")} << "";
    QTest::newRow("back at the stick's own set is no change")
        << QStringList{QString(), QStringLiteral("MiniTilda"), QString()} << QStringList{"V2", "V6", "M1", "G2"}
        << QList<QMessageBox::StandardButton>{} << QStringList{saved} << "MG";
    QTest::newRow("Keep where the stick holds a set")
        << mainOnly << QStringList{"V6", "KM", "G4"} << QList{QMessageBox::No} << QStringList{kMaleVoice, saved}
        << "VG";
    QTest::newRow("a stick as it came asks about the groups left out")
        << QStringList{} << QStringList{"M1", "G2"} << QList{QMessageBox::Yes} << QStringList{kFewerParts, saved}
        << "MG";
}

void SelectionDialogTest::saveChangesOnlyTheGroupsTheUserChanged() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, clicks);
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(QStringList, said);
    QFETCH(QString, changed);
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    QVERIFY(bench.Install(installed));
    QVERIFY(bench.Open());
    const std::vector<Bytes> before = bench.GroupFiles();
    const int startMessages = bench.runner.Messages().size();
    for (const QString& click : clicks) bench.Click(click.toStdString());
    bench.runner.answers = {answers.begin(), answers.end()};
    bench.Save();

    QCOMPARE(bench.runner.Messages().mid(startMessages), said);
    QVERIFY(bench.runner.answers.empty());
    const std::vector<Bytes> after = bench.GroupFiles();
    QString differs;
    for (std::size_t group = 0; group < before.size(); ++group) {
        if (before[group] != after[group]) differs += QLatin1Char("MVG"[group]);
    }
    QCOMPARE(differs, changed);
}

void SelectionDialogTest::saveInstallsTheFolderOwnSetsByTheirLabels() {
    Bench bench(SomeOfEach());
    QVERIFY(bench.Ready());
    QVERIFY(bench.AddOwnSet("M3", 4, "Mine"));
    QVERIFY(tamsiro::samples::WriteText(bench.Program("DATA_V3_JumpyNoor (1).ODA"), "the browser's copy"));
    QVERIFY(bench.Open());
    bench.Click("OM1");
    bench.Click("OV1");
    bench.Click("G4");
    bench.Save();
    QCOMPARE(bench.runner.Messages().mid(2), QStringList{kNewAudioSaved});
    QCOMPARE(ReadBytes(bench.Stick("OPEN-R/MW/DATA/P/CUSVOICE.ODA")),
             ReadBytes(bench.Program("DATA_V3_JumpyNoor (1).ODA")));

    // The next start finds them on the stick, under the same labels.
    bench.session = std::make_unique<tamsiro::qt::TamsiroSession>(bench.workspace.programFolder, bench.runner);
    bench.runner.dialog = &bench.Dialog();
    QVERIFY(bench.Open());
    QCOMPARE(bench.CheckedTexts(),
             (QStringList{QStringLiteral("Mine"), QStringLiteral("JumpyNoor (1)"), QStringLiteral("Barnaby")}));
}

QTEST_MAIN(SelectionDialogTest)
#include "selection_dialog_test.moc"
