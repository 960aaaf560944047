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
    QComboBox* Tkh;           // "卡号：", a person's card number
    QLineEdit* tcard;         // "* 物理卡号："
    QLineEdit* Tname;         // "姓名："
    QLineEdit* Tzhiwu;        // "职务："
    QLineEdit* Cdw;           // "大厦：", the department
    QLineEdit* tsfz;          // "身份证："
    QListWidget* dooraddr;    // "选择地址": the controllers
    QCheckBox* Ch[3];         // "日期：", "星期：" (hidden), "时间：": each limit on or off
    QDateEdit* ddate[2];      // the date limit, from and to
    QComboBox* tweek[2];      // the weekday limit, from and to (hidden)
    QTimeEdit* dtime[2];      // the time limit, from and to
    QRadioButton* Op[4];      // "锁号1：" passing mode: "进出", "进门", "出门", "禁止进出"
    QRadioButton* Opp[4];     // "锁号2：", the same four
    QRadioButton* Option1[2]; // "键盘输入", "从发卡机读入": how the physical number comes in
    QComboBox* ComPort;       // "串口号" of the card-issuing reader
    QComboBox* Cdk;           // "发卡机地址"
    QPushButton* Command1;    // "读卡(&R)"
    QPushButton* Cmdadd;      // "添加(&T)"
    QPushButton* cmdchg;      // "修改(&C)"
    QPushButton* Cmddel;      // "删除(&S)"
    QPushButton* Command2;    // "退出(&X)"

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
    // Takes the reader's address the operator typed into Cdk, whole. False,
    // with its message when `tell`, while the box holds no address.
    bool takeReaderAddress(bool tell);

    CardRequest request() const;
    void refuse(CardCommand command, Refusal why);
    // The inputs' request when the command's checks let it through;
    // otherwise the operator is told why and there is none.
    std::optional<CardRequest> checkedRequest(CardCommand command);
    // `notAsked`: the controllers after `address` that a step the database
    // failed left out.
    void tell(CardCommand command, const CardRequest& r, int address, const StepReport& s,
              const QList<int>& notAsked = {});
    // Runs `step` for each door in turn, tells its report, then hands it
    // to `told`; a step the database failed ends the command there.
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
    QGroupBox* Ftime;  // "使用时间限制："
    bool readerEdited_ = false;  // Cdk typed into since its address was last taken
    bool filling_ = false;  // the window fills a control itself: its handlers stay quiet
};
