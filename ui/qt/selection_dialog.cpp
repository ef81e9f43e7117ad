#include "ui/qt/selection_dialog.h"

#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "ui/qt/about_dialog.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/modal_runner.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/ui_texts.h"

#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tamsiro::qt {

namespace {

// Windows dialog units: a quarter of the average character width, an
// eighth of the line height. The layout keeps the Windows dialog's margins
// in these units, so it scales with the font as that dialog does.
int DialogUnitsX(const QFontMetrics& metrics, int units) { return (units * metrics.averageCharWidth() + 2) / 4; }
int DialogUnitsY(const QFontMetrics& metrics, int units) { return (units * metrics.height() + 4) / 8; }

}  // namespace

SelectionDialog::SelectionDialog(ModalRunner& runner, QWidget* parent) : QDialog(parent), runner_(runner) {
    setWindowTitle(QStringLiteral(TAMSIRO_DIALOG_CAPTION));
    setWindowIcon(ApplicationIcon());
    // A dialog box's frame: title and close box, no help, no maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    const QFontMetrics metrics = fontMetrics();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DialogUnitsX(metrics, 7), DialogUnitsY(metrics, 4), DialogUnitsX(metrics, 7),
                               DialogUnitsY(metrics, 7));
    layout->setSpacing(DialogUnitsY(metrics, 4));

    // The version line and the groups scroll together where the screen is
    // too small for them; Save and Cancel stay below, always in view.
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(DialogUnitsY(metrics, 2));

    auto* version = new QLabel(QStringLiteral(TAMSIRO_VERSION_TEXT), content);
    column->addWidget(version, 0, Qt::AlignRight);

    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        const SoundCategory& category = kCategoriesInDialogOrder[place];
        auto* box = new QGroupBox(QString::fromLatin1(category.caption), content);
        auto* rows = new QVBoxLayout(box);
        rows->setContentsMargins(DialogUnitsX(metrics, 9), 0, DialogUnitsX(metrics, 4), DialogUnitsY(metrics, 1));
        rows->setSpacing(0);
        // Each group is exclusive on its own.
        auto* group = new QButtonGroup(box);
        group->setExclusive(true);
        // The way back to leaving the group as it is, once a set was picked.
        auto* keep = new QRadioButton(QStringLiteral(TAMSIRO_KEEP_ROW), box);
        keep->setObjectName(QStringLiteral("keep%1").arg(place));
        group->addButton(keep);
        rows->addWidget(keep);
        keep_[place] = keep;
        for (int row = 0; row < kRowsPerCategory; ++row) {
            auto* button = new QRadioButton(QString::fromLatin1(kRowLabels[static_cast<std::size_t>(row)]), box);
            button->setObjectName(QStringLiteral("choice%1_%2").arg(place).arg(row));
            group->addButton(button);
            rows->addWidget(button);
            choices_[place][static_cast<std::size_t>(row)] = button;
            sets_[place].push_back({button, FileLabelOf(kRowLabels[static_cast<std::size_t>(row)])});
        }
        buttonGroups_[place] = group;
        rowLayouts_[place] = rows;
        column->addWidget(box);
    }

    groupsArea_ = new QScrollArea(this);
    groupsArea_->setFrameShape(QFrame::NoFrame);
    groupsArea_->setFocusPolicy(Qt::NoFocus);  // the choices inside take the focus
    groupsArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    groupsArea_->setWidgetResizable(true);
    groupsArea_->setWidget(content);
    layout->addWidget(groupsArea_, 1);

    // Empty, and so hidden, until the start sequence has accepted a stick.
    stickStatus_ = new QLabel(this);
    stickStatus_->setObjectName(QStringLiteral("stickStatus"));
    stickStatus_->setTextFormat(Qt::PlainText);
    stickStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    stickStatus_->hide();
    layout->addWidget(stickStatus_);

    restoreButton_ = new QPushButton(QString::fromLatin1(TAMSIRO_RESTORE_ENTRY), this);
    save_ = new QPushButton(QStringLiteral("Save"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    // No button is the default: Enter presses the focused button only
    // (see keyPressEvent), as a dialog box without a default button does.
    for (QPushButton* button : {restoreButton_, save_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(restoreButton_);
    bottom->addStretch();
    bottom->addWidget(save_);
    bottom->addWidget(cancel_);
    layout->addLayout(bottom);

    connect(save_, &QPushButton::clicked, this, [this] {
        if (onSave_) onSave_();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Where Windows puts the About entry on the system menu, Qt users look
    // in the window's context menu.
    about_ = new QAction(QStringLiteral(TAMSIRO_ABOUT_ENTRY), this);
    about_->setMenuRole(QAction::AboutRole);
    connect(about_, &QAction::triggered, this, &SelectionDialog::ShowAbout);
    addAction(about_);
    restore_ = new QAction(QString::fromLatin1(TAMSIRO_RESTORE_ENTRY), this);
    connect(restore_, &QAction::triggered, this, [this] {
        if (onRestore_) onRestore_();
    });
    connect(restoreButton_, &QPushButton::clicked, restore_, &QAction::trigger);
    addAction(restore_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    if (const QScreen* shown = screen()) FitTo(shown->availableGeometry());
    save_->setFocus();
}

void SelectionDialog::FitTo(const QRect& available) {
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = layout()->contentsMargins();
    const QSize content = groupsArea_->widget()->sizeHint();
    int buttons = 0;
    int buttonsWidth = 0;
    for (const QPushButton* button : {restoreButton_, save_, cancel_}) {
        buttons = std::max(buttons, button->sizeHint().height());
        buttonsWidth += button->sizeHint().width() + DialogUnitsX(metrics, 4);
    }
    int chrome = margins.top() + margins.bottom() + layout()->spacing() + buttons;
    if (!stickStatus_->isHidden()) chrome += stickStatus_->sizeHint().height() + layout()->spacing();

    // Wide enough for the caption beside a title bar's icon and buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    const int captionWidth = QFontMetrics(captionFont).horizontalAdvance(windowTitle()) + DialogUnitsX(metrics, 64);
    int width =
        std::max({content.width(), buttonsWidth, stickStatus_->isHidden() ? 0 : stickStatus_->sizeHint().width()}) +
        margins.left() + margins.right();
    width = std::max(width, captionWidth);
    int height = content.height() + chrome;

    // The frame is not known before the window is shown; leave room for a
    // title bar of the usual height.
    const int titleBar = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight), DialogUnitsY(metrics, 20));
    const int room = available.height() - titleBar;
    if (height > room) {
        // At least the buttons and a few rows of the groups.
        height = std::max(room, chrome + DialogUnitsY(metrics, 48));
        width += groupsArea_->verticalScrollBar()->sizeHint().width();
    }
    width = std::min(width, available.width());
    setFixedSize(width, height);
}

void SelectionDialog::SetStickStatus(const QString& text) {
    stickStatus_->setText(text);
    stickStatus_->setVisible(!text.isEmpty());
    if (const QScreen* shown = screen()) FitTo(shown->availableGeometry());
}

QAbstractButton* SelectionDialog::Choice(std::size_t categoryPlace, int row) const {
    if (categoryPlace >= choices_.size() || row < 0 || row >= kRowsPerCategory) return nullptr;
    return choices_[categoryPlace][static_cast<std::size_t>(row)];
}

QAbstractButton* SelectionDialog::KeepChoice(std::size_t categoryPlace) const {
    return categoryPlace < keep_.size() ? keep_[categoryPlace] : nullptr;
}

void SelectionDialog::ShowOtherSets(std::size_t categoryPlace, const std::vector<FolderSet>& sets) {
    QWidget* box = keep_.at(categoryPlace)->parentWidget();
    for (const FolderSet& set : sets) {
        // Labels come from file names: an ampersand is shown, not a shortcut.
        QString text = FromHostText(set.label);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* button = new QRadioButton(text, box);
        button->setObjectName(QStringLiteral("other%1_%2").arg(categoryPlace).arg(OtherChoices(categoryPlace).size()));
        buttonGroups_[categoryPlace]->addButton(button);
        rowLayouts_[categoryPlace]->addWidget(button);
        sets_[categoryPlace].push_back({button, set.label});
        if (!set.missingFile.empty()) ShowMissingFile(button, FromHostText(set.missingFile));
    }
    // The new rows count only once the layouts above know of them, which
    // they learn in the event loop: tell them now, before measuring.
    box->updateGeometry();
    groupsArea_->widget()->layout()->activate();
    if (const QScreen* shown = screen()) FitTo(shown->availableGeometry());
}

QList<QAbstractButton*> SelectionDialog::OtherChoices(std::size_t categoryPlace) const {
    QList<QAbstractButton*> others;
    const auto& sets = sets_.at(categoryPlace);
    for (std::size_t index = kRowsPerCategory; index < sets.size(); ++index) others << sets[index].button;
    return others;
}

void SelectionDialog::ShowMissingFile(QAbstractButton* choice, const QString& fileName) {
    choice->setEnabled(false);
    choice->setToolTip(QStringLiteral(TAMSIRO_ROW_MISSING_FILE).arg(fileName));
}

std::optional<int> SelectionDialog::CheckedRow(std::size_t categoryPlace) const {
    for (int row = 0; row < kRowsPerCategory; ++row) {
        const QAbstractButton* choice = Choice(categoryPlace, row);
        if (choice != nullptr && choice->isEnabled() && choice->isChecked()) return row;
    }
    return std::nullopt;
}

std::optional<std::string> SelectionDialog::CheckedSet(std::size_t categoryPlace) const {
    for (const SetChoice& set : sets_.at(categoryPlace)) {
        if (set.button->isEnabled() && set.button->isChecked()) return set.label;
    }
    return std::nullopt;
}

void SelectionDialog::CheckSet(std::size_t categoryPlace, const std::optional<std::string>& label) {
    QAbstractButton* checked = keep_.at(categoryPlace);
    if (label) {
        const auto& sets = sets_[categoryPlace];
        const auto found = std::find_if(sets.begin(), sets.end(), [&](const SetChoice& set) {
            return set.button->isEnabled() && EqualIgnoringAsciiCase(set.label, *label);
        });
        if (found != sets.end()) checked = found->button;
    }
    checked->setChecked(true);
}

void SelectionDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelp();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        // Enter on a choice does nothing: closing without installing is
        // left to Cancel, Escape and the close box.
        return;
    }
    QDialog::keyPressEvent(event);
}

void SelectionDialog::ShowAbout() {
    AboutDialog about(this);
    runner_.RunAboutBox(about);
}

void SelectionDialog::ShowHelp() {
    for (const QString& path : helpFiles_) {
        if (!QFileInfo(path).isFile()) continue;
        if (runner_.OpenDocument(QUrl::fromLocalFile(path))) return;
        // Found, but no viewer took it: say where it is, for any other.
        ShowWarning(runner_, *this, QStringLiteral(TAMSIRO_HELP_AT).arg(QDir::toNativeSeparators(path)));
        return;
    }
    ShowWarning(runner_, *this, QString::fromLatin1(TAMSIRO_HELP_MISSING));
}

}  // namespace tamsiro::qt
