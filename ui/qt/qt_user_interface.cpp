#include "ui/qt/qt_user_interface.h"

#include "ui/qt/modal_runner.h"
#include "ui/qt/selection_dialog.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <vector>

namespace tamsiro::qt {

namespace {

// Steps shorter than this finish without a progress window flashing up.
constexpr auto kProgressDelay = std::chrono::milliseconds(500);
constexpr int kProgressBarSteps = 1000;

// A note above the chooser's files. Only Qt's own file dialog has room
// for one; the desktop's is used when there is nothing to say.
void ShowNoteIn(QFileDialog& chooser, const QString& note) {
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    auto* label = new QLabel(note, &chooser);
    label->setObjectName(QStringLiteral("chooserNote"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    auto* grid = qobject_cast<QGridLayout*>(chooser.layout());
    if (grid == nullptr) {
        chooser.setWindowTitle(note.section(QLatin1Char('\n'), 0, 0));
        return;
    }
    // Every row moves down one, for the note to go first.
    struct Placed {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    std::vector<Placed> placed;
    while (grid->count() > 0) {
        Placed cell{};
        grid->getItemPosition(0, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
        cell.item = grid->takeAt(0);
        placed.push_back(cell);
    }
    const int columns = grid->columnCount();
    for (const Placed& cell : placed)
        grid->addItem(cell.item, cell.row + 1, cell.column, cell.rowSpan, cell.columnSpan);
    grid->addWidget(label, 0, 0, 1, columns);
}

// Captions change from step to step; the window keeps its width and
// shortens what does not fit, each line on its own.
class StepCaption : public QLabel {
public:
    void SetCaption(const QString& caption) {
        caption_ = caption;
        Elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide() {
        QStringList lines = caption_.split(QLatin1Char('\n'));
        for (QString& line : lines) line = fontMetrics().elidedText(line, Qt::ElideRight, contentsRect().width());
        setText(lines.join(QLatin1Char('\n')));
        setToolTip(lines.join(QLatin1Char('\n')) == caption_ ? QString() : caption_);
    }

    QString caption_;
};

// The stick is half written while a step runs: the window cannot be
// cancelled, closed or escaped, only ended by the step itself.
class StepProgressDialog : public QProgressDialog {
public:
    explicit StepProgressDialog(QWidget* owner) : QProgressDialog(owner) {
        setWindowTitle(QStringLiteral(TAMSIRO_APPLICATION_NAME));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setModal(true);
        setCancelButton(nullptr);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        caption_ = new StepCaption;
        caption_->setTextFormat(Qt::PlainText);
        setLabel(caption_);
        // About fifty characters wide and two lines high, whatever the captions.
        const QFontMetrics metrics = fontMetrics();
        caption_->setMinimumHeight(2 * metrics.height());
        setFixedWidth(std::max(sizeHint().width(), 50 * metrics.averageCharWidth()));
        setFixedHeight(sizeHint().height());
    }

    void SetCaption(const QString& caption) { caption_->SetCaption(caption); }

    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }

private:
    StepCaption* caption_ = nullptr;
};

}  // namespace

QString FromHostText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string HostFileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QtUserInterface::QtUserInterface(SelectionDialog& dialog, ModalRunner& runner) : dialog_(dialog), runner_(runner) {}

QtUserInterface::~QtUserInterface() {
    if (busyShown_) QApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowMessage(const std::string& text) {
    // A box never opens under a progress window, whatever the core forgot.
    EndProgress();
    ShowWarning(runner_, dialog_, FromHostText(text));
}

bool QtUserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    EndProgress();
    QMessageBox box(QMessageBox::Warning, QStringLiteral(TAMSIRO_APPLICATION_NAME), FromHostText(text),
                    QMessageBox::Yes | QMessageBox::No, &dialog_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    const bool yes = runner_.RunMessageBox(box) == QMessageBox::Yes;
    box.hide();
    // Long work often follows a Yes on this, the only thread: what lay
    // under the box is painted again first, not after that work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (dialog_.isVisible()) dialog_.repaint();
    return yes;
}

void QtUserInterface::ShowBusyCursor(bool busy) {
    if (busy == busyShown_) return;
    busyShown_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::optional<std::string> QtUserInterface::PromptForMarker(const std::string& suggestedFolder) {
    return PromptForMarkerWithNote(suggestedFolder, {});
}

std::optional<std::string> QtUserInterface::PromptForMarkerWithNote(const std::string& suggestedFolder,
                                                                    const std::string& note) {
    EndProgress();
    QFileDialog chooser(&dialog_, QStringLiteral(TAMSIRO_CHOOSER_TITLE));
    if (!note.empty()) ShowNoteIn(chooser, FromHostText(note));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilter(QStringLiteral(TAMSIRO_CHOOSER_FILTER_NAME));
    chooser.setDefaultSuffix(QStringLiteral(TAMSIRO_CHOOSER_EXTENSION));
    // A stick found by itself: the user only has to press Open.
    if (!suggestedFolder.empty()) chooser.setDirectory(QFile::decodeName(suggestedFolder.c_str()));
    chooser.selectFile(QStringLiteral(TAMSIRO_CHOOSER_FILE));
    const std::optional<QString> chosen = runner_.RunFileDialog(chooser);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return HostFileName(*chosen);
}

void QtUserInterface::EndDialog(DialogResult result) {
    EndProgress();
    ended_ = true;
    dialog_.done(result == DialogResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void QtUserInterface::ShowProgress(const ProgressReport& progress) {
    const auto now = clock_();
    if (!stepStarted_) stepStarted_ = now;
    if (!progress_) {
        if (now - *stepStarted_ < kProgressDelay) return;
        progress_ = std::make_unique<StepProgressDialog>(&dialog_);
        progress_->setRange(0, kProgressBarSteps);
    }
    static_cast<StepProgressDialog*>(progress_.get())->SetCaption(FromHostText(progress.step));
    if (progress.total == 0) {
        progress_->setRange(0, 0);  // an unknown length: a moving bar
    } else {
        const double share = std::min(1.0, static_cast<double>(progress.done) / static_cast<double>(progress.total));
        progress_->setRange(0, kProgressBarSteps);
        progress_->setValue(static_cast<int>(share * kProgressBarSteps));
    }
    if (!progress_->isVisible()) progress_->show();
    // The core holds the only thread: let the window paint between reports,
    // leaving clicks and keys for when the step is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUserInterface::EndProgress() {
    stepStarted_.reset();
    progress_.reset();
}

}  // namespace tamsiro::qt
