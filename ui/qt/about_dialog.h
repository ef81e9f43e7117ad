#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tamsiro::qt {

class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* IconLabel() const { return icon_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QLabel* icon_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tamsiro::qt
