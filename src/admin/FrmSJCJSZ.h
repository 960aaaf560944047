#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// "数据采集设置": the daily timed collection on or off, and its time. The
// main window's collection timer follows the stored schedule at once.
class FrmSJCJSZ : public QDialog {
    Q_OBJECT
public:
    explicit FrmSJCJSZ(QWidget* parent = nullptr);

private:
    void store();
    void followOption();

    QRadioButton* timed;    // Opt1(0) "自 动"
    QRadioButton* byHand;   // Opt1(1) "手 动"
    QTimeEdit* DTP1;  // the time of the daily collection
    QLabel* Label2;  // "上次设定的时间：" and the stored time
    QPushButton* Command1;  // "确 定"
    QPushButton* Command2;  // "取 消"
};
