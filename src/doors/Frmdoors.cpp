#include "doors/Frmdoors.h"

#include "db/DoorAddresses.h"
#include "db/NumberText.h"
#include "session/Session.h"
#include "doors/ControllerLine.h"
#include "doors/LineDoubt.h"
#include "ui/BoxNames.h"
#include "ui/ExchangeGuard.h"
#include "ui/LineWords.h"
#include "session/Session.h"
#include "doors/StatusIcons.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"
#include "ui/TypedInput.h"
#include "ui/Buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

QLabel* label(const QString& text, QWidget* parent, const QRect& at)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    return l;
}

// The text a stored delay shows as: a plain decimal number, empty for Null.
QString delayText(const QVariant& stored)
{
    return stored.isNull() ? QString() : QString::number(stored.toDouble(), 'g', 15);
}

}  // namespace

Frmdoors::Frmdoors(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("Frmdoors"));
    setWindowTitle(QStringLiteral("门锁设置"));
    resize(660, 440);

    QLabel* addressLabel = label(QStringLiteral("地址:"), this, {20, 18, 44, 24});
    Cdoor = new QComboBox(this);
    addressLabel->setBuddy(Cdoor);
    Cdoor->setObjectName(QStringLiteral("Cdoor"));
    Cdoor->setGeometry(64, 16, 110, 26);
    // Digits and Backspace only; Enter does nothing here. An address above
    // 99 stays as typed and is refused with its message.
    TypedInput::digitsOnly(Cdoor);
    InputFilters::enterDropped(Cdoor);

    const QStringList kinds{QStringLiteral("玻璃门锁"), QStringLiteral("木门锁"), QStringLiteral("铁门锁")};
    for (int lock = 0; lock < 2; ++lock) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("Frame%1").arg(lock + 1));
        frame->setGeometry(20, 52 + lock * 180, 320, 170);
        Clkn1[lock] = new QCheckBox(lock == 0 ? QStringLiteral("一号锁") : QStringLiteral("二号锁"), frame);
        Clkn1[lock]->setObjectName(QStringLiteral("Clkn1(%1)").arg(lock));
        Clkn1[lock]->setGeometry(12, 20, 100, 24);
        Clkn1[lock]->setChecked(true);
        QLabel* description = label(QStringLiteral("描述:"), frame, {12, 54, 90, 22});
        drnam[lock] = new QLineEdit(frame);
        TypedInput::storedText(drnam[lock]);
        description->setBuddy(drnam[lock]);
        drnam[lock]->setObjectName(QStringLiteral("drnam(%1)").arg(lock));
        drnam[lock]->setGeometry(112, 52, 192, 26);
        InputFilters::enterMovesOn(drnam[lock]);
        QLabel* delay = label(QStringLiteral("开门延迟时间:"), frame, {12, 88, 100, 22});
        second2[lock] = new QLineEdit(QStringLiteral("5"), frame);
        delay->setBuddy(second2[lock]);
        second2[lock]->setObjectName(QStringLiteral("second2(%1)").arg(lock));
        second2[lock]->setGeometry(112, 86, 70, 26);
        TypedInput::decimalOnly(second2[lock]);
        label(QStringLiteral("秒"), frame, {188, 88, 24, 22});
        for (int k = 0; k < 3; ++k) {
            const int i = lock * 3 + k;
            Opt[i] = new QRadioButton(kinds.at(k), frame);
            Opt[i]->setObjectName(QStringLiteral("Opt(%1)").arg(i));
            Opt[i]->setGeometry(12 + k * 100, 128, 96, 24);
            connect(Opt[i], &QRadioButton::clicked, this, [this, i] { kindClicked(i); });
        }
        Opt[lock * 3]->setChecked(true);
    }

    label(QStringLiteral("*门锁信息"), this, {360, 18, 200, 24});
    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(360, 44, 280, 262);
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setToolTip(QStringLiteral("项目名称"));

    Cmdadd = Buttons::make(this, QStringLiteral("Cmdadd"), QStringLiteral("新增(&A)"), {360, 318, 88, 30});
    Command4 = Buttons::make(this, QStringLiteral("Command4"), QStringLiteral("修改(&C)"), {456, 318, 88, 30});
    cmddel = Buttons::make(this, QStringLiteral("cmddel"), QStringLiteral("删除(&D)"), {552, 318, 88, 30});
    Cmdtest = Buttons::make(this, QStringLiteral("Cmdtest"), QStringLiteral("门锁初始化(&I)"), {360, 358, 136, 30});
    Command1 = Buttons::make(this, QStringLiteral("Command1"), QStringLiteral("修改延迟时间(&M)"), {504, 358, 136, 30});
    Command2 = Buttons::make(this, QStringLiteral("Command2"), QStringLiteral("退出(&E)"), {552, 398, 88, 30});

    Comm = port();

    connect(Cdoor, &QComboBox::activated, this, &Frmdoors::showController);
    connect(Cmdadd, &QPushButton::clicked, this, &Frmdoors::add);
    connect(Command4, &QPushButton::clicked, this, &Frmdoors::modify);
    connect(cmddel, &QPushButton::clicked, this, &Frmdoors::remove);
    connect(Cmdtest, &QPushButton::clicked, this, &Frmdoors::initialise);
    connect(Command1, &QPushButton::clicked, this, &Frmdoors::changeDelays);
    connect(Command2, &QPushButton::clicked, this, &Frmdoors::close);

    fillAddresses();
    Resize::scaleForFont(this);
    Resize::keepProportional(this);
    for (int lock = 0; lock < 2; ++lock) {
        BoxNames::part(drnam[lock], Clkn1[lock]->text(), QStringLiteral("描述"));
        BoxNames::part(second2[lock], Clkn1[lock]->text(), QStringLiteral("开门延迟时间"));
    }
    BoxNames::fromLabels(this);
}

Frmdoors::~Frmdoors() = default;



QList<QWidget*> Frmdoors::exchangeControls() const
{
    return {Cdoor, Cmdadd, Command4, cmddel, Cmdtest, Command1, Command2};
}

void Frmdoors::fillAddresses()
{
    Cdoor->clear();
    for (int a : DoorAddresses::list(Session::db()))
        Cdoor->addItem(QString::number(a));
    Cdoor->setCurrentIndex(-1);
    Cdoor->clearEditText();
}

LockKind Frmdoors::kind(int lock) const
{
    if (Opt[lock * 3 + 2]->isChecked())
        return LockKind::Iron;
    if (Opt[lock * 3 + 1]->isChecked())
        return LockKind::Wood;
    return LockKind::Glass;
}

LockEntry Frmdoors::entry(int lock) const
{
    LockEntry e;
    e.ticked = Clkn1[lock]->isChecked();
    e.name = drnam[lock]->text();
    e.delay = second2[lock]->text();
    e.kind = kind(lock);
    return e;
}

void Frmdoors::kindClicked(int option)
{
    const auto k = static_cast<LockKind>(option % 3);
    second2[option / 3]->setText(LockKinds::defaultDelay(k));
}

void Frmdoors::showController()
{
    ListView1->clear();
    bool ok = false;
    const int address = Cdoor->currentText().trimmed().toInt(&ok);
    const std::optional<DoorRow> row = ok ? DoorsTable::find(Session::db(), address) : std::nullopt;
    if (!row) {
        for (int lock = 0; lock < 2; ++lock) {
            Clkn1[lock]->setChecked(false);
            drnam[lock]->clear();
            second2[lock]->setText(QStringLiteral("5"));
            Opt[lock * 3]->setChecked(true);
        }
        ListView1->clear();
        return;
    }
    for (int lock = 0; lock < 2; ++lock) {
        const LockColumns& c = row->lock[lock];
        if (!c.exists()) {
            Clkn1[lock]->setChecked(false);
            drnam[lock]->clear();
            second2[lock]->setText(QStringLiteral("5"));
            continue;
        }
        Clkn1[lock]->setChecked(true);
        drnam[lock]->setText(c.name.toString());
        second2[lock]->setText(delayText(c.delay));
        // Selecting the kind here is not the operator's click: the stored
        // delay stays in the box.
        if (const std::optional<LockKind> k = LockKinds::fromCharacter(c.kind.toString()))
            Opt[lock * 3 + static_cast<int>(*k)]->setChecked(true);
    }

    const QString addressText = Cdoor->currentText();
    ReadSysResult r;
    {
        ExchangeGuard guard(working_, exchangeControls());
        BusyCursor busy;
        r = ReadSys(*Comm, address, Session::lineParams());
    }
    // Refused the line, the window says so; a controller that did not
    // answer leaves the list empty.
    if (r.outcome == LineOutcome::PortNotOpen && LineWords::heldByAnotherWindow(Session::lineParams()))
        Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
    else if (r.outcome == LineOutcome::Disturbed)
        Prompt::exclaim(this, disturbedLine(address));
    if (!r.ok())
        return;
    const std::optional<QStringList> items = SysInf::read();
    if (!items)
        return;
    ListView1->clear();
    const QStringList lines = SysInf::lockWindowLines(addressText, *items);
    for (int i = 0; i < lines.size(); ++i)
        new QListWidgetItem(StatusIcons::line(i + 1), lines.at(i), ListView1);
}

std::optional<int> Frmdoors::checkedAddress()
{
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入地址!"));
        return std::nullopt;
    }
    const std::optional<int> address = NumberText::address(text);
    if (!address)
        Prompt::exclaim(this, QStringLiteral("地址<=99，请重输"));
    return address;
}

bool Frmdoors::checkDelays()
{
    for (int lock = 0; lock < 2; ++lock) {
        if (!Clkn1[lock]->isChecked())
            continue;
        const LockKind k = kind(lock);
        switch (checkDelay(k, second2[lock]->text())) {
        case DelayCheck::InRange: break;
        case DelayCheck::Empty: second2[lock]->setText(LockKinds::defaultDelay(k)); break;
        case DelayCheck::OutOfRange:
            Prompt::exclaim(this, k == LockKind::Iron ? QStringLiteral("铁门锁延迟时间建议在0到2之间!")
                                                      : QStringLiteral("门锁延迟时间建议在0到25之间!"));
            return false;
        }
    }
    return true;
}

bool Frmdoors::anyLockTicked()
{
    if (Clkn1[0]->isChecked() || Clkn1[1]->isChecked())
        return true;
    Prompt::exclaim(this, QStringLiteral("请选择锁号!"));
    return false;
}

void Frmdoors::add()
{
    const std::optional<int> address = checkedAddress();
    if (!address || !checkDelays())
        return;
    const DoorsTable::Result r =
        DoorsTable::add(Session::db(), DoorsTable::rowFromEntries(*address, entry(0), entry(1)));
    switch (r.outcome) {
    case DoorsTable::Outcome::Duplicate: Prompt::exclaim(this, QStringLiteral("地址重复,请重设")); return;
    case DoorsTable::Outcome::Done: break;
    default: Prompt::databaseFailed(this, r.error); return;
    }
    const QString typed = Cdoor->currentText();
    Cdoor->addItem(QString::number(*address));
    Cdoor->setEditText(typed);
    Prompt::exclaim(this, QStringLiteral("已经添加完毕"));
}

void Frmdoors::modify()
{
    const std::optional<int> address = checkedAddress();
    if (!address || !checkDelays())
        return;
    const DoorsTable::Result r =
        DoorsTable::modify(Session::db(), DoorsTable::rowFromEntries(*address, entry(0), entry(1)));
    switch (r.outcome) {
    case DoorsTable::Outcome::NotFound: Prompt::exclaim(this, QStringLiteral("地址不存在,请重设")); return;
    case DoorsTable::Outcome::Done: break;
    default: Prompt::databaseFailed(this, r.error); return;
    }
    Prompt::exclaim(this, QStringLiteral("已经修改完毕"));
}

void Frmdoors::remove()
{
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入要删除的地址!"));
        return;
    }
    if (!Prompt::confirm(this, QStringLiteral("确信要删除地址为%1的门及其相应的发卡记录吗?").arg(text)))
        return;
    bool ok = false;
    const int address = text.toInt(&ok);
    const bool existed = ok && DoorsTable::find(Session::db(), address);
    if (ok) {
        const DoorsTable::Result r = DoorsTable::remove(Session::db(), address);
        if (!r.ok()) {
            Prompt::databaseFailed(this, r.error);
            return;
        }
    }
    fillAddresses();
    if (!existed)
        return;
    // Nothing went to the controller: it still opens for every card it holds.
    Prompt::exclaim(this, QStringLiteral("已删除地址为%1的门。\n该控制器中保存的卡仍然可以开门，"
                                         "停止使用该控制器之前，请先对它做门锁初始化。")
                              .arg(text));
}

void Frmdoors::initialise()
{
    const std::optional<int> address = checkedAddress();
    if (!address || !anyLockTicked())
        return;
    for (int lock = 0; lock < 2; ++lock) {
        if (Clkn1[lock]->isChecked() && checkDelay(kind(lock), second2[lock]->text()) != DelayCheck::InRange)
            second2[lock]->setText(LockKinds::defaultDelay(kind(lock)));
    }

    LineOutcome outcome;
    {
        ExchangeGuard guard(working_, exchangeControls());
        BusyCursor busy;
        if (!Comm->open(Session::lineParams()).ok())
            outcome = LineOutcome::PortNotOpen;
        else
            outcome = ClearController(*Comm, *address);
        Comm->close();
    }
    if (outcome == LineOutcome::PortNotOpen)
        Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
    else if (outcome == LineOutcome::Ok)
        Prompt::exclaim(this, QStringLiteral("初始化成功"));
    else if (const std::optional<LineDoubt> doubt = LineDoubts::of(outcome))
        Prompt::exclaim(this, LineDoubts::message(*doubt, *address, QStringLiteral("初始化命令")));
    else
        Prompt::exclaim(this, QStringLiteral("初始化出错..."));
}

void Frmdoors::changeDelays()
{
    const std::optional<int> address = checkedAddress();
    if (!address || !anyLockTicked() || !checkDelays())
        return;
    // A controller keeps the open time in one byte: a longer delay would
    // arrive wrapped around, so nothing is sent at all.
    for (int lock = 0; lock < 2; ++lock) {
        if (Clkn1[lock]->isChecked() && !DelayUnits::toCount(delayValue(second2[lock]->text()))) {
            Prompt::exclaim(this, QStringLiteral("控制器的开门延迟时间最长为%1秒，请重输!")
                                      .arg(DelayUnits::largestDelayText()));
            return;
        }
    }

    ExchangeGuard guard(working_, exchangeControls());
    {
        BusyCursor busy;
        if (!Comm->open(Session::lineParams()).ok()) {
            Comm->close();
            Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
            return;
        }
    }
    const QString names[2] = {QStringLiteral("锁一"), QStringLiteral("锁二")};
    for (int lock = 0; lock < 2; ++lock) {
        if (!Clkn1[lock]->isChecked())
            continue;
        const double seconds = delayValue(second2[lock]->text());
        LineOutcome outcome;
        {
            BusyCursor busy;
            outcome = DelayTime(*Comm, *address, lock + 1, seconds);
        }
        if (const std::optional<LineDoubt> doubt = LineDoubts::of(outcome)) {
            Prompt::inform(this, LineDoubts::message(*doubt, *address, QStringLiteral("修改%1延迟时间的命令").arg(names[lock])));
            continue;
        }
        if (outcome != LineOutcome::Ok) {
            Prompt::inform(this, QStringLiteral(" ") + names[lock] + QStringLiteral("通讯出错"));
            continue;
        }
        const DoorsTable::Result r = DoorsTable::setDelay(Session::db(), *address, lock + 1, seconds);
        if (!r.ok()) {
            Prompt::exclaim(this, names[lock] + QStringLiteral("的延迟时间已送到控制器，但未能存入数据库：\n") +
                                      r.error);
            continue;
        }
        Prompt::inform(this, names[lock] + QStringLiteral("修改完毕"));
    }
    Comm->close();
}
