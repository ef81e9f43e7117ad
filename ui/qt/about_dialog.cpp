#include "ui/qt/about_dialog.h"

#include "ui/qt/app_icon.h"
#include "ui/ui_texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamsiro::qt {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(TAMSIRO_ABOUT_CAPTION));
    setWindowIcon(ApplicationIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("aboutIcon"));
    // 32 logical pixels, painted at the screen's pixel ratio.
    icon_->setPixmap(ApplicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(icon_, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral(TAMSIRO_ABOUT_VERSION), this));
    for (const char* credit : {TAMSIRO_ABOUT_CREDIT_1, TAMSIRO_ABOUT_CREDIT_2}) {
        texts->addWidget(new QLabel(QString::fromLatin1(credit), this));
    }
    texts->addStretch();
    layout->addLayout(texts, 1);
    layout->addSpacing(12);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addStretch();
    layout->addLayout(buttons);
}

}  // namespace tamsiro::qt
