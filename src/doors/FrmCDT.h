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

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QDateEdit* DTP1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label5 = nullptr;
    QTimeEdit* DTX2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QToolButton* Picture1 = nullptr;
    LinePort* MSC1 = nullptr;
};
