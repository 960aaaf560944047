#include "cards/FrmFK.h"

#include "db/DoorAddresses.h"
#include "ui/BoxNames.h"
#include "ui/DateTimeBoxes.h"
#include "ui/ControllerDates.h"
#include "ui/LineWords.h"
#include "ui/TypedInput.h"

#include "cards/CardListWidgets.h"

#include "db/Clock.h"
#include "db/NumberText.h"
#include "link/LinePort.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/ExchangeGuard.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>

#include <limits>

namespace {

const QStringList kWeekdays = {QStringLiteral("星期日"), QStringLiteral("星期一"), QStringLiteral("星期二"),
                               QStringLiteral("星期三"), QStringLiteral("星期四"), QStringLiteral("星期五"),
                               QStringLiteral("星期六")};
const QStringList kModes = {QStringLiteral("进出"), QStringLiteral("进门"), QStringLiteral("出门"),
                            QStringLiteral("禁止进出")};

QLabel* label(QWidget* parent, const QString& text, const QRect& r)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(r);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

template <typename T>
T* control(QWidget* parent, const QString& name, const QRect& r)
{
    auto* c = new T(parent);
    c->setObjectName(name);
    c->setGeometry(r);
    return c;
}

bool isDigitKey(const QKeyEvent* key)
{
    const QString t = key->text();
    return t.size() == 1 && t.at(0) >= u'0' && t.at(0) <= u'9';
}

bool isNavigation(const QKeyEvent* key)
{
    const int k = key->key();
    return k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Left || k == Qt::Key_Right ||
           k == Qt::Key_Home || k == Qt::Key_End || k == Qt::Key_Escape || k == Qt::Key_Up || k == Qt::Key_Down ||
           (key->modifiers() & Qt::ControlModifier);
}

}  // namespace

FrmFK::FrmFK(QWidget* parent) : LineDialog(parent), db_(Session::db())
{
    setObjectName(QStringLiteral("FrmFK"));
    setWindowTitle(QStringLiteral("卡操作"));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);
    buildControls();
    load();
}

FrmFK::~FrmFK() = default;

void FrmFK::buildControls()
{
    resize(770, 320);

    auto* info = control<QGroupBox>(this, QStringLiteral("Frame1"), QRect(8, 6, 332, 262));
    info->setTitle(QStringLiteral("基本信息"));
    QLabel* cardLabel = label(info, QStringLiteral("卡号："), QRect(6, 22, 76, 22));
    Tkh = control<QComboBox>(info, QStringLiteral("Tkh"), QRect(86, 22, 130, 22));
    TypedInput::digitsOnly(Tkh);
    cardLabel->setBuddy(Tkh);
    Tkh->installEventFilter(this);

    Option1[0] = control<QRadioButton>(info, QStringLiteral("Option1_0"), QRect(86, 50, 100, 20));
    Option1[0]->setText(QStringLiteral("键盘输入"));
    Option1[1] = control<QRadioButton>(info, QStringLiteral("Option1_1"), QRect(188, 50, 130, 20));
    Option1[1]->setText(QStringLiteral("从发卡机读入"));
    inputMode_ = new QButtonGroup(this);
    inputMode_->addButton(Option1[0], 0);
    inputMode_->addButton(Option1[1], 1);
    Option1[0]->setChecked(true);

    QLabel* physicalLabel = label(info, QStringLiteral("* 物理卡号："), QRect(6, 76, 76, 22));
    tcard = control<QLineEdit>(info, QStringLiteral("tcard"), QRect(86, 76, 130, 22));
    TypedInput::digitsOnly(tcard);
    physicalLabel->setBuddy(tcard);
    tcard->installEventFilter(this);
    Command1 = control<QPushButton>(info, QStringLiteral("Command1"), QRect(222, 75, 100, 24));
    Command1->setText(QStringLiteral("读卡(&R)"));
    Command1->hide();

    QLabel* portLabel = label(info, QStringLiteral("串口号"), QRect(6, 104, 76, 22));
    ComPort = control<QComboBox>(info, QStringLiteral("ComPort"), QRect(86, 104, 54, 22));
    TypedInput::digitsOnly(ComPort);
    portLabel->setBuddy(ComPort);
    for (int i = 1; i <= 7; ++i)
        ComPort->addItem(QString::number(i));
    ComPort->setCurrentIndex(0);
    QLabel* readerLabel = label(info, QStringLiteral("发卡机地址"), QRect(144, 104, 74, 22));
    Cdk = control<QComboBox>(info, QStringLiteral("Cdk"), QRect(222, 104, 100, 22));
    TypedInput::digitsOnly(Cdk);
    readerLabel->setBuddy(Cdk);
    Cdk->installEventFilter(this);

    const QString holderCaptions[4] = {QStringLiteral("姓名："), QStringLiteral("职务："), QStringLiteral("大厦："),
                                       QStringLiteral("身份证：")};
    const char* holderNames[4] = {"Tname", "Tzhiwu", "Cdw", "tsfz"};
    QLineEdit** holderBoxes[4] = {&Tname, &Tzhiwu, &Cdw, &tsfz};
    for (int i = 0; i < 4; ++i) {
        QLabel* l = label(info, holderCaptions[i], QRect(6, 134 + 30 * i, 76, 22));
        *holderBoxes[i] = control<QLineEdit>(info, QString::fromLatin1(holderNames[i]), QRect(86, 134 + 30 * i, 236, 22));
        TypedInput::storedText(*holderBoxes[i]);
        l->setBuddy(*holderBoxes[i]);
    }

    auto* addresses = control<QGroupBox>(this, QStringLiteral("Frame2"), QRect(346, 6, 112, 262));
    addresses->setTitle(QStringLiteral("选择地址"));
    dooraddr = control<QListWidget>(addresses, QStringLiteral("dooraddr"), QRect(8, 22, 96, 230));
    dooraddr->setSelectionMode(QAbstractItemView::ExtendedSelection);

    Ftime = control<QGroupBox>(this, QStringLiteral("Ftime"), QRect(464, 6, 298, 96));
    Ftime->setTitle(QStringLiteral("使用时间限制："));
    const QString arrow = QStringLiteral("→");
    const QStringList checks = {QStringLiteral("日期："), QStringLiteral("星期："), QStringLiteral("时间：")};
    for (int i = 0; i < 3; ++i) {
        Ch[i] = control<QCheckBox>(Ftime, QStringLiteral("Ch_%1").arg(i), QRect(8, 0, 64, 22));
        Ch[i]->setText(checks[i]);
    }
    // The weekday row stays hidden: a weekday limit is only carried over
    // from stored rows, never entered here.
    const int y[3] = {22, 90, 56};
    QLabel* arrows[3];
    for (int i = 0; i < 3; ++i) {
        Ch[i]->move(8, y[i]);
        arrows[i] = new QLabel(arrow, Ftime);
        arrows[i]->setGeometry(178, y[i], 14, 22);
    }
    for (int i = 0; i < 2; ++i) {
        ddate[i] = DateTimeBoxes::date(Ftime);
        ddate[i]->setObjectName(QStringLiteral("ddate_%1").arg(i));
        ddate[i]->setGeometry(i == 0 ? 72 : 192, 22, 104, 22);
        ControllerDates::bound(ddate[i]);
        tweek[i] = control<QComboBox>(Ftime, QStringLiteral("tweek_%1").arg(i), QRect(i == 0 ? 76 : 196, 90, 96, 22));
        tweek[i]->addItems(kWeekdays);
        tweek[i]->setCurrentIndex(-1);
        tweek[i]->hide();
        dtime[i] = DateTimeBoxes::time(Ftime, QStringLiteral("HH:mm"));
        dtime[i]->setObjectName(QStringLiteral("dtime_%1").arg(i));
        dtime[i]->setGeometry(i == 0 ? 76 : 196, 56, 96, 22);
        BoxNames::part(ddate[i], Ftime->title(), i == 0 ? QStringLiteral("开始日期") : QStringLiteral("结束日期"));
        BoxNames::part(dtime[i], Ftime->title(), i == 0 ? QStringLiteral("开始时间") : QStringLiteral("结束时间"));
        BoxNames::part(tweek[i], Ftime->title(), i == 0 ? QStringLiteral("开始星期") : QStringLiteral("结束星期"));
    }
    Ch[1]->hide();
    arrows[1]->hide();

    auto* modes = control<QGroupBox>(this, QStringLiteral("Frame3"), QRect(464, 106, 298, 162));
    modes->setTitle(QStringLiteral("进出控制"));
    label(modes, QStringLiteral("锁号1："), QRect(4, 24, 56, 22));
    label(modes, QStringLiteral("锁号2："), QRect(4, 94, 56, 22));
    lock1_ = new QButtonGroup(this);
    lock2_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        const int x = 66 + (i % 2) * 110, dy = (i / 2) * 26;
        Op[i] = control<QRadioButton>(modes, QStringLiteral("Op_%1").arg(i), QRect(x, 24 + dy, 104, 22));
        Opp[i] = control<QRadioButton>(modes, QStringLiteral("Opp_%1").arg(i), QRect(x, 94 + dy, 104, 22));
        Op[i]->setText(kModes[i]);
        Opp[i]->setText(kModes[i]);
        Op[i]->setAutoExclusive(false);
        Opp[i]->setAutoExclusive(false);
        lock1_->addButton(Op[i], i);
        lock2_->addButton(Opp[i], i);
    }
    Op[0]->setChecked(true);
    Opp[0]->setChecked(true);

    const QStringList buttons = {QStringLiteral("添加(&T)"), QStringLiteral("修改(&C)"), QStringLiteral("删除(&S)"),
                                 QStringLiteral("退出(&X)")};
    QPushButton** targets[] = {&Cmdadd, &cmdchg, &Cmddel, &Command2};
    const char* names[] = {"Cmdadd", "cmdchg", "Cmddel", "Command2"};
    for (int i = 0; i < 4; ++i) {
        *targets[i] = control<QPushButton>(this, QString::fromLatin1(names[i]), QRect(330 + i * 108, 280, 100, 30));
        (*targets[i])->setText(buttons[i]);
        (*targets[i])->setAutoDefault(false);
    }

    QList<QWidget*> order = {Tkh, Option1[0], tcard, Option1[1], Cdk, Command1, dooraddr, Ch[0], ddate[0], ddate[1],
                             Ch[1], tweek[0], tweek[1], Ch[2], dtime[0], dtime[1]};
    for (QRadioButton* b : Op)
        order << b;
    for (QRadioButton* b : Opp)
        order << b;
    order << Cmdadd << cmdchg << Cmddel << Command2 << Cdw << tsfz << Tzhiwu << Tname << ComPort;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Tkh, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (filling_ || text.trimmed().size() != 6)
            return;
        lookUp();
        focusNextChild();
    });
    connect(Tkh, &QComboBox::textActivated, this, [this] { lookUp(); });
    connect(tcard, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!filling_ && text.trimmed().size() >= 10 && tcard->hasFocus())
            focusNextChild();
    });
    connect(Cdk->lineEdit(), &QLineEdit::textEdited, this, [this] { readerEdited_ = true; });
    connect(Cdk, &QComboBox::textActivated, this, [this] {
        readerEdited_ = true;
        takeReaderAddress(true);
    });
    connect(inputMode_, &QButtonGroup::idToggled, this, [this] { Command1->setVisible(Option1[1]->isChecked()); });
    connect(dooraddr, &QListWidget::clicked, this, [this](const QModelIndex& i) { addressClicked(i.row()); });
    connect(Command1, &QPushButton::clicked, this, &FrmFK::readCard);
    connect(Cmdadd, &QPushButton::clicked, this, &FrmFK::add);
    connect(cmdchg, &QPushButton::clicked, this, &FrmFK::change);
    connect(Cmddel, &QPushButton::clicked, this, &FrmFK::remove);
    connect(Command2, &QPushButton::clicked, this, &FrmFK::close);
    BoxNames::fromLabels(this);
}

void FrmFK::load()
{
    const QList<int> addresses = DoorAddresses::list(db_);
    {
        QSignalBlocker block(Cdk);
        for (int a : addresses)
            Cdk->addItem(QString::number(a));
        Cdk->setCurrentIndex(-1);
        Cdk->setEditText(QString());
    }
    refillCardNumbers();
    if (addresses.isEmpty())
        Prompt::exclaim(this, QStringLiteral("请先对门锁进行设置"));
    for (int a : addresses)
        dooraddr->addItem(QString::number(a));
    CardListBoxes::resetPickers(ddate, tweek, dtime);
    Resize::scaleForFont(this);
    Resize::keepProportional(this);
}

void FrmFK::refillCardNumbers()
{
    const QStringList cards = CardIssuing::cardNumbers(db_);
    if (cards.isEmpty() && Tkh->count() > 0)
        return;
    filling_ = true;
    const QString typed = Tkh->currentText();
    {
        QSignalBlocker block(Tkh);
        Tkh->clear();
        Tkh->addItems(cards);
        Tkh->setCurrentIndex(-1);
        Tkh->setEditText(typed);
    }
    filling_ = false;
}

bool FrmFK::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched == Cdk) {
        Option1[1]->setChecked(true);
        return false;
    }
    // Leaving the box takes its address; what is no address waits, kept as
    // typed, for 读卡 to refuse it. A list opening or another window
    // taking the focus is no leaving.
    if (event->type() == QEvent::FocusOut && watched == Cdk) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::PopupFocusReason && why != Qt::ActiveWindowFocusReason)
            takeReaderAddress(false);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return LineDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool backspace = key->key() == Qt::Key_Backspace;
    if (watched == Tkh) {
        if (enter)
            return true;
        return !(backspace || isDigitKey(key) || isNavigation(key));
    }
    if (watched == tcard) {
        if (isNavigation(key) && !enter)
            return false;
        const QString text = tcard->text().trimmed();
        if (text.size() >= 10 && !backspace && !enter) {
            focusNextChild();
            return true;
        }
        if (enter) {
            if (tcard->text().size() == 10)
                focusNextChild();
            else
                Prompt::inform(this, QStringLiteral("卡号长度应为10"));
            return true;
        }
        return !(backspace || isDigitKey(key));
    }
    if (watched == Cdk) {
        if (enter) {
            if (takeReaderAddress(true))
                focusNextChild();
            return true;
        }
        if (isNavigation(key))
            return false;
        if (!backspace && !isDigitKey(key))
            return true;
        return !backspace && Cdk->currentText().trimmed().size() >= 3;
    }
    return LineDialog::eventFilter(watched, event);
}

bool FrmFK::takeReaderAddress(bool tell)
{
    // Until the operator types here the address loaded at start-up holds.
    if (!readerEdited_)
        return true;
    const QString t = Cdk->currentText().trimmed();
    // The reader's address travels as one byte of a controller address.
    const std::optional<int> value = t.isEmpty() ? std::optional<int>(0) : NumberText::address(t);
    if (!value) {
        if (tell)
            Prompt::exclaim(this, QStringLiteral("发卡机地址应为0到99"));
        return false;
    }
    readerEdited_ = false;
    Session::ReaderAddress = static_cast<qint16>(*value);
    return true;
}

QList<QWidget*> FrmFK::exchangeControls() const
{
    return {Cmdadd, cmdchg, Cmddel, Command1, Command2};
}

CardRequest FrmFK::request() const
{
    CardRequest r;
    r.card = Tkh->currentText().trimmed();
    r.physical = tcard->text().trimmed();
    r.holder = CardHolder{Tname->text(), Cdw->text(), Tzhiwu->text(), tsfz->text()};
    r.addressListEmpty = dooraddr->count() == 0;
    for (int i = 0; i < dooraddr->count(); ++i) {
        if (dooraddr->item(i)->isSelected())
            r.addresses << dooraddr->item(i)->text().toInt();
    }
    r.dateOn = Ch[0]->isChecked();
    r.weekOn = Ch[1]->isChecked();
    r.timeOn = Ch[2]->isChecked();
    r.startDate = ddate[0]->date();
    r.endDate = ddate[1]->date();
    r.weekStart = tweek[0]->currentIndex() + 1;
    r.weekEnd = tweek[1]->currentIndex() + 1;
    r.startTime = dtime[0]->time();
    r.endTime = dtime[1]->time();
    if (lock1_->checkedId() >= 0)
        r.lock1Mode = lock1_->checkedId();
    if (lock2_->checkedId() >= 0)
        r.lock2Mode = lock2_->checkedId();
    return r;
}

std::optional<CardRequest> FrmFK::checkedRequest(CardCommand command)
{
    if (DateTimeBoxes::refused(Ftime))
        return std::nullopt;
    CardRequest r = request();
    if (auto no = CardIssuing::check(command, db_, r)) {
        refuse(command, *no);
        return std::nullopt;
    }
    return r;
}

namespace {

using Icon = Prompter::Icon;

struct RefusalShown {
    QString text;
    Icon icon = Icon::None;
    bool beep = false;
};

// Each command words the same fault its own way, as operators have always
// read it.
RefusalShown shown(CardCommand c, Refusal why)
{
    const bool add = c == CardCommand::Add, change = c == CardCommand::Change;
    const Icon x = Icon::Exclamation;
    switch (why) {
    case Refusal::NoCard:
        return add ? RefusalShown{QStringLiteral("请输入卡号！")} : RefusalShown{QStringLiteral("请输入卡号"), x};
    case Refusal::CardNotSixDigits:
        return {QStringLiteral("卡号必须是6位自然数！")};
    case Refusal::NoPhysical:
        return {add ? QStringLiteral("请刷卡后，按读卡读入卡号")
                    : change ? QStringLiteral("请输入物理卡号") : QStringLiteral("请输入卡号"),
                x};
    case Refusal::PhysicalNotTenDigits:
        return {QStringLiteral("物理卡号应为10位整数，如“0000000001”"), x};
    case Refusal::PhysicalNotTenLong:
        return {QStringLiteral("请按“读卡”按扭读入卡号"), x};
    case Refusal::PhysicalNotDigits:
        return {change ? QStringLiteral("物理卡号应为10位整数，如“0000000001”")
                       : QStringLiteral("卡号应为10位整数，如“0000000001”"),
                x};
    case Refusal::NoControllers:
        return {QStringLiteral("请先在“门锁设置”处设置门锁地址"), Icon::None, true};
    case Refusal::NoAddressPicked:
        if (add)
            return {QStringLiteral("请选择门锁地址"), Icon::None, true};
        if (change)
            return {QStringLiteral("请选择要修改的地址！")};
        return {QStringLiteral("请选择从哪个门删除"), x, true};
    case Refusal::PhysicalHeldByOther:
        return {QStringLiteral("物理卡号已经存在！")};
    case Refusal::TimesReversed:
        return {QStringLiteral("时间输入错误"), x};
    case Refusal::TimeAtMidnight:
        return {QStringLiteral("时间限制不能从0:00开始或到0:00结束（控制器把0:00当作不限时间）"), x};
    case Refusal::DatesReversed:
        return {QStringLiteral("日期有错"), x, true};
    case Refusal::DateOutsideYears:
        return {ControllerDates::outsideText(), x};
    case Refusal::WeekdaysReversed:
        return {QStringLiteral("星期输入错误"), x};
    case Refusal::NotIssued:
        return {change ? QStringLiteral("该卡号没有发卡记录!") : QStringLiteral("找不到该卡号对应的门号")};
    case Refusal::Unreadable:
        return {QStringLiteral("读不出发卡记录，没有向任何门发送，请检查数据库！"), Icon::Critical};
    case Refusal::NoLock1Mode:
        return {QStringLiteral("请选择锁号1的进出控制"), x};
    case Refusal::NoLock2Mode:
        return {QStringLiteral("请选择锁号2的进出控制"), x};
    }
    return {};
}

}  // namespace

void FrmFK::refuse(CardCommand command, Refusal why)
{
    const RefusalShown s = shown(command, why);
    if (s.beep)
        QApplication::beep();
    Prompt::inform(this, s.text, s.icon);
    if (why == Refusal::NoAddressPicked && command == CardCommand::Add)
        dooraddr->setFocus();
    else if (why == Refusal::DatesReversed)
        ddate[0]->setDate(ddate[1]->date());
}

void FrmFK::tell(CardCommand command, const CardRequest& r, int address, const StepReport& s,
                 const QList<int>& notAsked)
{
    using O = StepReport::Outcome;
    const Icon x = Icon::Exclamation;
    switch (s.outcome) {
    case O::Passed:
        return;
    case O::AlreadyHeld:
        return Prompt::inform(this, QStringLiteral("%1可以开地址为%2的门!").arg(r.card).arg(address), x);
    case O::NotHeld:
        return Prompt::inform(this, QStringLiteral("该卡在门%1没有发卡记录").arg(address));
    case O::Unreadable:
        return Prompt::inform(
            this, QStringLiteral("读不出 %1 号门的发卡记录，卡号 %2 没有发送：%3").arg(address).arg(r.card, s.error) +
                      Prompt::notAskedText(notAsked),
            Icon::Critical);
    case O::Refused:
        return Prompt::inform(this, QStringLiteral("卡号 %1 无法发送到 %2 号门").arg(r.card).arg(address), x);
    case O::Silent:
        if (command == CardCommand::Delete)
            return Prompt::inform(this, QStringLiteral("通信出错!"), x);
        return Prompt::inform(this, QStringLiteral("%1号门通讯出错").arg(address));
    case O::Unconfirmed:
        return Prompt::inform(this,
                              CardDoubts::message(*s.doubt,
                                                  command == CardCommand::Add ? CardChange::Added : CardChange::Removed,
                                                  address, r.card),
                              x);
    case O::Unrecorded:
        return Prompt::inform(
            this, QStringLiteral("%1 号门已收到卡号 %2，但数据库没有记下：%3").arg(address).arg(r.card, s.error) +
                      Prompt::notAskedText(notAsked),
            Icon::Critical);
    case O::RemovalUnrecorded:
        return Prompt::inform(
            this, QStringLiteral("卡号 %1 已从 %2 号门删除，但数据库没有记下：%3").arg(r.card).arg(address).arg(s.error) +
                      Prompt::notAskedText(notAsked),
            Icon::Critical);
    case O::Undetermined:
        return Prompt::inform(this,
                              QStringLiteral("卡号 %1 的修改没有写入 %2 号门，该门禁控制器中现在是否还有此卡无法确定，"
                                             "发卡记录保留。")
                                      .arg(r.card)
                                      .arg(address) +
                                  CardDoubts::remedy(),
                              x);
    case O::RemovedUnchanged:
        return Prompt::inform(
            this, QStringLiteral("卡号 %1 已从 %2 号门删除，修改没有写入；该卡已记入退卡记录").arg(r.card).arg(address), x);
    case O::Done:
        break;
    }
    if (command == CardCommand::Add)
        Prompt::inform(this, QStringLiteral("卡号 %1 已经添加,它能开 %2 号门").arg(r.card).arg(address), x);
    else if (command == CardCommand::Change)
        Prompt::inform(this, QStringLiteral("卡号 %1 已经在%2 号门修改成功！").arg(r.card).arg(address), x);
    else
        Prompt::inform(this, QStringLiteral("%1已从地址为%2的门中删除").arg(r.physical).arg(address), x);
}

void FrmFK::sendToDoors(CardCommand command, const CardRequest& r, const std::function<StepReport(int)>& step,
                        const std::function<void(int, const StepReport&)>& told)
{
    for (qsizetype i = 0; i < r.addresses.size(); ++i) {
        const int a = r.addresses[i];
        StepReport s;
        {
            // The wait cursor is off again before the operator is told.
            BusyCursor busy;
            s = step(a);
        }
        tell(command, r, a, s, s.stopsCommand() ? r.addresses.mid(i + 1) : QList<int>());
        if (told)
            told(a, s);
        if (s.stopsCommand())
            return;
    }
}

bool FrmFK::isLastRow(int address) const
{
    return dooraddr->count() > 0 && dooraddr->item(dooraddr->count() - 1)->text().toInt() == address;
}

void FrmFK::emptyHolderFields()
{
    filling_ = true;
    for (QLineEdit* e : {Tname, Tzhiwu, Cdw, tsfz, tcard})
        e->clear();
    Tkh->setEditText(QString());
    filling_ = false;
}

void FrmFK::add()
{
    const std::optional<CardRequest> checked = checkedRequest(CardCommand::Add);
    if (!checked)
        return;
    const CardRequest& r = *checked;
    {
        ExchangeGuard guard(working_, exchangeControls());
        // The port may still be set for the reader: it is opened afresh on
        // the controllers' line.
        port()->close();
        if (!port()->open(Session::lineParams()).ok()) {
            Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
            return;
        }
        const CardSendOptions options = CardSendOptions::issuing(Session::lineParams());
        sendToDoors(
            CardCommand::Add, r, [&](int a) { return CardIssuing::addOne(db_, *port(), r, a, options); },
            [this](int a, const StepReport& s) {
                if (s.done() && isLastRow(a))
                    emptyHolderFields();
            });
        port()->close();
    }
    refillCardNumbers();
}

void FrmFK::change()
{
    const std::optional<CardRequest> checked = checkedRequest(CardCommand::Change);
    if (!checked)
        return;
    const CardRequest& r = *checked;
    ExchangeGuard guard(working_, exchangeControls());
    port()->close();
    const CardSendOptions options = CardSendOptions::issuing(Session::lineParams());
    const QDate today = Clock::today();
    auto offerRetry = [this, &r](int address, const CardResult& failed) {
        // A wrong or late echo is an answer: the controller may well have
        // taken the card, where a silent one most likely did not.
        const std::optional<CardDoubt> doubt = CardDoubts::of(failed);
        const QString text =
            (doubt ? CardDoubts::cause(*doubt, address) +
                         QStringLiteral("：卡号 %1 已从该门删除，新的设置可能已经写入，也可能没有。重试吗？")
                   : QStringLiteral("%1号门通讯出错：卡号 %2 已从该门删除，新的设置没有写入。重试吗？").arg(address))
                .arg(r.card);
        // The question is not part of the wait.
        QApplication::restoreOverrideCursor();
        const bool retry = Prompt::ask(this, text, Prompter::Buttons::RetryCancel, Prompter::Icon::Exclamation,
                                       QString(), Prompter::Answer::Retry) == Prompter::Answer::Retry;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return retry;
    };
    // The inputs are emptied once the last row of the list is passed
    // without a failure: unselected, or changed on its controller.
    bool lastRowFailed = false;
    sendToDoors(
        CardCommand::Change, r,
        [&](int a) {
            return CardIssuing::changeOne(db_, *port(), r, a, options, today,
                                          [&](const CardResult& failed) { return offerRetry(a, failed); });
        },
        [&](int a, const StepReport& s) {
            if (isLastRow(a) || s.stopsCommand())
                lastRowFailed = !s.done();
        });
    port()->close();
    if (!lastRowFailed)
        emptyHolderFields();
}

void FrmFK::remove()
{
    const std::optional<CardRequest> checked = checkedRequest(CardCommand::Delete);
    if (!checked)
        return;
    const CardRequest& r = *checked;
    {
        ExchangeGuard guard(working_, exchangeControls());
        port()->close();
        const CardSendOptions options = CardSendOptions::issuing(Session::lineParams());
        const QDate today = Clock::today();
        sendToDoors(CardCommand::Delete, r,
                    [&](int a) { return CardIssuing::deleteOne(db_, *port(), r, a, options, today); });
        port()->close();
    }
    emptyHolderFields();
    CardListBoxes::resetPickers(ddate, tweek, dtime);
}

void FrmFK::readCard()
{
    filling_ = true;
    tcard->clear();
    filling_ = false;
    if (!takeReaderAddress(true))
        return;
    if (!NumberText::isAddress(Session::ReaderAddress)) {
        Prompt::exclaim(this, QStringLiteral("发卡机地址应为0到99"));
        return;
    }
    // The port number names a link in the program folder; one too large to
    // be a port would read as another port.
    const std::optional<int> portNo =
        NumberText::wholeNumber(ComPort->currentText(), 1, std::numeric_limits<qint16>::max());
    if (!portNo) {
        Prompt::exclaim(this, QStringLiteral("串口号必须是1到32767的整数！"));
        return;
    }
    LineParams params = Session::lineParams();
    params.portNo = *portNo;
    ReadCardResult r;
    {
        ExchangeGuard guard(working_, exchangeControls());
        BusyCursor busy;
        r = ReadCard(*port(), static_cast<quint8>(Session::ReaderAddress), params);
    }
    if (r.ok()) {
        filling_ = true;
        tcard->setText(r.physical);
        filling_ = false;
        return;
    }
    Prompt::inform(this, r.message(),
                   r.outcome == ReadCardResult::Outcome::BadReply ? Prompter::Icon::None : Prompter::Icon::Exclamation);
}

void FrmFK::setMode(QButtonGroup* group, std::optional<int> mode)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(mode && group->id(b) == *mode);
    group->setExclusive(true);
}

void FrmFK::showLimits(const ShownLimits& s)
{
    tweek[0]->setCurrentIndex(s.weekStart);
    tweek[1]->setCurrentIndex(s.weekEnd);
    Ch[1]->setChecked(s.weekOn);
    dtime[0]->setTime(s.startTime);
    dtime[1]->setTime(s.endTime);
    Ch[2]->setChecked(s.timeOn);
    ddate[0]->setDate(s.startDate);
    ddate[1]->setDate(s.endDate);
    Ch[0]->setChecked(s.dateOn);
    setMode(lock1_, s.lock1Mode);
    setMode(lock2_, s.lock2Mode);
}

void FrmFK::clearLimits()
{
    CardListBoxes::resetPickers(ddate, tweek, dtime);
    setMode(lock1_, std::nullopt);
    setMode(lock2_, std::nullopt);
    for (QCheckBox* c : Ch)
        c->setChecked(false);
}

void FrmFK::lookUp()
{
    const QString card = Tkh->currentText().trimmed();
    for (QCheckBox* c : Ch)
        c->setChecked(false);
    const QDate today = Clock::today();
    const CardIssuing::Lookup found = CardIssuing::lookup(db_, card, today);
    filling_ = true;
    const CardHolder h = found.holder.value_or(CardHolder{});
    Tname->setText(h.name);
    Tzhiwu->setText(h.position);
    Cdw->setText(h.department);
    tsfz->setText(h.idNumber);
    tcard->setText(found.physical);
    filling_ = false;
    if (found.issued) {
        showLimits(found.limits);
    } else if (found.holder) {
        CardListBoxes::resetPickers(ddate, tweek, dtime);
    }
    dooraddr->clearSelection();
    for (int i = 0; i < dooraddr->count(); ++i) {
        if (found.heldAddresses.contains(dooraddr->item(i)->text().toInt()))
            dooraddr->item(i)->setSelected(true);
    }
}

void FrmFK::addressClicked(int row)
{
    if (row < 0 || row >= dooraddr->count() || Tkh->currentText().isEmpty())
        return;
    const int address = dooraddr->item(row)->text().toInt();
    const std::optional<ShownLimits> held =
        CardIssuing::limitsAt(db_, address, Tkh->currentText().trimmed(), Clock::today());
    if (held)
        showLimits(*held);
    else
        clearLimits();
}
