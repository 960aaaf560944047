#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimeEdit;

// "上下班时间设置": the session times of the working day and the late and
// early-leave tolerances, kept in the one row of `owt`. Opened modally by
// the main window.
class FrmWTS : public QDialog {
    Q_OBJECT
public:
    explicit FrmWTS(QWidget* parent = nullptr);

private:
    void save();

    QTimeEdit* dtx_[4] = {};
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};
