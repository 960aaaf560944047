#pragma once
#include "cards/CardLists.h"
#include "ui/LineDialog.h"

class CardRunProgress;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

// 压缩卡机: takes issued cards off controllers, by card, by controller or
// by department, and moves each into the history of removed cards once
// its controller has acknowledged the removal.
class FrmDec : public LineDialog {
    Q_OBJECT
public:
    explicit FrmDec(QWidget* parent = nullptr);
    ~FrmDec() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void markHolders();
    void remove();
    void byCard();
    void byController();
    void byDepartment();
    QList<int> selectedTargets() const;
    // One pair; false when the run must end.
    enum class Mode { Card, Controller, Department };
    PairOutcome removeOne(int address, const QString& card);
    bool reportFailure(Mode mode, PairOutcome outcome, int address, const QString& card);

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QComboBox* kh = nullptr;
    QRadioButton* Option2 = nullptr;
    QComboBox* dz = nullptr;
    QRadioButton* Option3 = nullptr;
    QComboBox* bm = nullptr;
    QGroupBox* Frame5 = nullptr;
    QListWidget* Ldr = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    CardRunProgress* progress_ = nullptr;
    QWidget* focusAfter_ = nullptr;  // a check's control, once the run's guard lets go
};
