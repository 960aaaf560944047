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

    QTimeEdit* dtx_[4] = {};            // "上班时间：", "下班时间：" of the first session, then the second
    QLineEdit* text1_ = nullptr;        // "迟到" … "分钟以上算迟到"
    QLineEdit* text2_ = nullptr;        // "早退" … "分钟算以上早退"
    QPushButton* command1_ = nullptr;   // "确 定"
    QPushButton* command2_ = nullptr;   // "退 出"
};
