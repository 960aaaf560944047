#pragma once
#include "link/LinePort.h"
#include "ui/LineDialog.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;
class QToolButton;

// 修改卡机日期时间: sets one controller's calendar date or its time of day
// to what the operator picks. Each command waits up to 2 seconds for the
// controller's echo, and only that echo confirms it.
class FrmCDT : public LineDialog {
    Q_OBJECT
public:
    explicit FrmCDT(QWidget* parent = nullptr);
    ~FrmCDT() override;

private:
    enum class Command { Date, Time };
    void send(Command command);

    QLabel* Label1 = nullptr;  // "请选择地址："
    QComboBox* Combo1 = nullptr;  // the controller addresses
    QGroupBox* Frame1 = nullptr;  // the date group
    QLabel* Label3 = nullptr;  // "日期："
    QDateEdit* DTP1 = nullptr;  // the new date
    QGroupBox* Frame2 = nullptr;  // the time group
    QLabel* Label5 = nullptr;  // "时间："
    QTimeEdit* DTX2 = nullptr;  // the new time
    QPushButton* Command1 = nullptr;  // "修改日期"
    QPushButton* Command2 = nullptr;  // "修改时间"
    QToolButton* Picture1 = nullptr;  // "关闭"
    LinePort* MSC1 = nullptr;
};
