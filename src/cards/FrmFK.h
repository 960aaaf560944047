#pragma once
#include "cards/CardIssuing.h"
#include "ui/LineDialog.h"

#include <QList>
#include <QSqlDatabase>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// "卡操作": gives a card to a person and writes it, with its limits, into
// the chosen controllers; changes and deletes it there; reads a card's
// physical number on the card-issuing reader. Modeless, one at a time.
class FrmFK : public LineDialog {
    Q_OBJECT
public:
    explicit FrmFK(QWidget* parent = nullptr);
    ~FrmFK() override;

    // The controls, under the names the operator's manual uses.
    QComboBox* Tkh;
    QLineEdit* tcard;
    QLineEdit* Tname;
    QLineEdit* Tzhiwu;
    QLineEdit* Cdw;
    QLineEdit* tsfz;
    QListWidget* dooraddr;
    QCheckBox* Ch[3];
    QDateEdit* ddate[2];
    QComboBox* tweek[2];
    QTimeEdit* dtime[2];
    QRadioButton* Op[4];
    QRadioButton* Opp[4];
    QRadioButton* Option1[2];
    QComboBox* ComPort;
    QComboBox* Cdk;
    QPushButton* Command1;
    QPushButton* Cmdadd;
    QPushButton* cmdchg;
    QPushButton* Cmddel;
    QPushButton* Command2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void load();
    void add();
    void change();
    void remove();
    void readCard();
    void lookUp();
    void addressClicked(int row);
    void readerAddressChanged(const QString& text);

    CardRequest request() const;
    void refuse(CardCommand command, Refusal why);
    // The inputs' request when the command's checks let it through;
    // otherwise the operator is told why and there is none.
    std::optional<CardRequest> checkedRequest(CardCommand command);
    void tell(CardCommand command, const CardRequest& r, int address, const StepReport& s);
    // Runs `step` for each door in turn, tells its report, then hands it
    // to `told`.
    void sendToDoors(CardCommand command, const CardRequest& r, const std::function<StepReport(int)>& step,
                     const std::function<void(int, const StepReport&)>& told = {});
    void showLimits(const ShownLimits& s);
    void clearLimits();
    void setMode(QButtonGroup* group, std::optional<int> mode);
    void emptyHolderFields();
    void refillCardNumbers();
    QList<QWidget*> exchangeControls() const;
    bool isLastRow(int address) const;

    QSqlDatabase db_;
    QButtonGroup* lock1_;
    QButtonGroup* lock2_;
    QButtonGroup* inputMode_;
    QGroupBox* Ftime;
    QString lastReaderText_;
    bool filling_ = false;  // the window fills a control itself: its handlers stay quiet
};
