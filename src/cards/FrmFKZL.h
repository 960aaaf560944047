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

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text1 = nullptr;
    QProgressBar* PrgBar = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    CardRunProgress* progress_ = nullptr;
    int sent_ = 0;
};
