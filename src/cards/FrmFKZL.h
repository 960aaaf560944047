#pragma once
#include "ui/LineDialog.h"

class CardRunProgress;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

// 发卡信息重整: clears one controller's card lists and sends it every card
// `faka` holds for it again, so that its list of admitted cards matches
// the database. Nothing is written to the database: the rows are the list
// the controller is brought back to.
class FrmFKZL : public LineDialog {
    Q_OBJECT
public:
    explicit FrmFKZL(QWidget* parent = nullptr);
    ~FrmFKZL() override;

private:
    void start();
    void resend(int address);

    QLabel* Label1 = nullptr;          // "请选择地址:"
    QComboBox* Combo1 = nullptr;       // the controller to rewrite
    QLabel* Label2 = nullptr;          // the hint's first line, "提示：此项操作将重新清理门禁控制器，使得控制器"
    QLabel* Label3 = nullptr;          // its second line, "的开门名单与发卡库相符。"
    QLabel* Label4 = nullptr;          // "已发卡数："
    QLineEdit* Text1 = nullptr;        // the cards written so far in the run, read-only
    QProgressBar* PrgBar = nullptr;    // the run's progress, shown while it lasts
    QPushButton* Command1 = nullptr;   // "开始"
    QPushButton* Command2 = nullptr;   // "退出"
    QStatusBar* StatusBar1 = nullptr;  // the window's foot; it shows no message
    CardRunProgress* progress_ = nullptr;
    int sent_ = 0;
};
