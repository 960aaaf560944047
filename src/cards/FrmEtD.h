#pragma once
#include "cards/CardRuns.h"
#include "ui/LineDialog.h"

class CardRunProgress;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// 增扩卡机: writes cards already issued (one card, every card of a
// controller, or every card of a department) into further controllers,
// with the limits and passing modes set in the window. A pair that `faka`
// already holds is skipped; a new row is written only after the
// controller's acknowledgement.
class FrmEtD : public LineDialog {
    Q_OBJECT
public:
    explicit FrmEtD(QWidget* parent = nullptr);
    ~FrmEtD() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cardPicked();
    void targetClicked(QListWidgetItem* item);
    void resetLimits();
    void showLimits(const FakaRow& row);
    void extend();
    void run();
    std::optional<ExtensionLimits> takeLimits();
    QList<int> selectedTargets() const;

    // Tells the operator what became of one pair and, for a send that
    // failed, asks whether to give up, send again or go on.
    RunStep told(const RunPair& pair, bool byCard);

    QGroupBox* Frame1 = nullptr;       // "选择要扩展的卡号、地址或部门"
    QRadioButton* Option1 = nullptr;   // "卡号": one card
    QComboBox* Ckh = nullptr;          // the issued card
    QRadioButton* Option2 = nullptr;   // "地址": every card of a controller
    QComboBox* dz = nullptr;           // that controller's address
    QRadioButton* Option5 = nullptr;   // "大厦": every card of a department
    QComboBox* bm = nullptr;           // that department
    QLabel* Label1 = nullptr;          // the card last added, and where
    QGroupBox* Frame2 = nullptr;       // "扩展到以下地址"
    QListWidget* Ldr = nullptr;        // the controllers to extend to
    QLabel* Label12 = nullptr;         // the hint on choosing several rows
    QPushButton* Command1 = nullptr;   // "增加"
    QPushButton* Command2 = nullptr;   // "退出"
    QGroupBox* Frame3 = nullptr;       // "日期时间限制"
    QCheckBox* Ch[3] = {};             // "日期：", "星期：" (hidden), "时间：": each limit on or off
    QDateEdit* ddate[2] = {};          // the date limit, from and to
    QComboBox* tweek[2] = {};          // the weekday limit, from and to (hidden)
    QLabel* weekArrow = nullptr;       // the "-->" between the weekdays
    QTimeEdit* dtime[2] = {};          // the time limit, from and to
    QGroupBox* Frame4 = nullptr;       // "进出控制"
    QRadioButton* Op[4] = {};          // lock 1's passing mode: "进出", "进门", "出门", "禁止进出"
    QRadioButton* Opp[4] = {};         // lock 2's, the same four
    QButtonGroup* lock1_ = nullptr;
    QButtonGroup* lock2_ = nullptr;
    CardRunProgress* progress_ = nullptr;
    QWidget* focusAfter_ = nullptr;  // a check's control, once the run's guard lets go
};
