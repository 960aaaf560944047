#pragma once
#include "cards/CardLists.h"
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

    enum class Step { Next, Abort };
    Step sendOne(int address, const SourceCard& source, const ExtensionLimits& limits, bool byCard);

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QComboBox* Ckh = nullptr;
    QRadioButton* Option2 = nullptr;
    QComboBox* dz = nullptr;
    QRadioButton* Option5 = nullptr;
    QComboBox* bm = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QListWidget* Ldr = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Ch[3] = {};
    QDateEdit* ddate[2] = {};
    QComboBox* tweek[2] = {};
    QLabel* weekArrow = nullptr;
    QTimeEdit* dtime[2] = {};
    QGroupBox* Frame4 = nullptr;
    QRadioButton* Op[4] = {};
    QRadioButton* Opp[4] = {};
    QButtonGroup* lock1_ = nullptr;
    QButtonGroup* lock2_ = nullptr;
    CardRunProgress* progress_ = nullptr;
    QWidget* focusAfter_ = nullptr;  // a check's control, once the run's guard lets go
};
