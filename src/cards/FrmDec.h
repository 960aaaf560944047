#pragma once
#include "cards/CardRuns.h"
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
    enum class Mode { Card, Controller, Department };
    // The removal of every pair, told in the mode's words.
    void run(Mode mode, const QList<CardRuns::CardAt>& pairs);
    // False when the run must end.
    bool reportFailure(Mode mode, PairOutcome outcome, int address, const QString& card,
                       const QList<int>& notAsked = {});

    QGroupBox* Frame1 = nullptr;       // "选择要删除的部门、卡号、地址"
    QRadioButton* Option1 = nullptr;   // "卡号": one card
    QComboBox* kh = nullptr;           // the card number
    QRadioButton* Option2 = nullptr;   // "地址": every card of a controller
    QComboBox* dz = nullptr;           // that controller's address
    QRadioButton* Option3 = nullptr;   // "大厦": every card of a department
    QComboBox* bm = nullptr;           // that department
    QGroupBox* Frame5 = nullptr;       // "选择要删除的地址"
    QListWidget* Ldr = nullptr;        // the controllers to delete from
    QLabel* Label12 = nullptr;         // the hint on choosing several rows
    QPushButton* Command1 = nullptr;   // "删除"
    QPushButton* Command2 = nullptr;   // "退出"
    QLabel* Label1 = nullptr;          // the card last deleted, and from where
    CardRunProgress* progress_ = nullptr;
    QWidget* focusAfter_ = nullptr;  // a check's control, once the run's guard lets go
};
