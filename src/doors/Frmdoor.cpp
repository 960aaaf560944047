#include "doors/Frmdoor.h"

#include "db/NumberText.h"
#include "session/Session.h"
#include "doors/ControllerLine.h"
#include "doors/LineDoubt.h"
#include "ui/ExchangeGuard.h"
#include "ui/LineWords.h"
#include "doors/LegacyDoors.h"
#include "doors/LockKind.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"
#include "ui/Buttons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace {

// A whole number typed into a box, nothing when it is not one.
std::optional<int> wholeNumber(const QString& text)
{
    return NumberText::wholeNumber(text, 0, std::numeric_limits<int>::max());
}

}  // namespace

Frmdoor::Frmdoor(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("Frmdoor"));
    setWindowTitle(QStringLiteral("门锁设置"));

    Cdoor = new QComboBox(this);
    Cdoor->setObjectName(QStringLiteral("Cdoor"));
    TypedInput::storedText(Cdoor);
    Cdw = new QComboBox(this);
    Cdw->setObjectName(QStringLiteral("Cdw"));
    InputFilters::pickOnly(Cdw);
    Taddress = new QLineEdit(this);
    Taddress->setObjectName(QStringLiteral("Taddress"));
    ttime = new QLineEdit(this);
    ttime->setObjectName(QStringLiteral("ttime"));
    // Digits only; every other key, Backspace too, sounds the bell.
    TypedInput::digitsOnly(ttime);
    InputFilters::enterDropped(ttime);
    InputFilters::backspaceDropped(ttime);
    auto* spin = new QWidget(this);
    spin->setObjectName(QStringLiteral("UpDown1"));
    auto* spinRow = new QVBoxLayout(spin);
    spinRow->setContentsMargins(0, 0, 0, 0);
    spinRow->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        UpDown1[i] = new QToolButton(spin);
        UpDown1[i]->setObjectName(i == 0 ? QStringLiteral("UpDown1Up") : QStringLiteral("UpDown1Down"));
        UpDown1[i]->setArrowType(i == 0 ? Qt::UpArrow : Qt::DownArrow);
        UpDown1[i]->setFixedSize(18, 12);
        spinRow->addWidget(UpDown1[i]);
    }

    auto* locks = new QGroupBox(this);
    auto* lockRow = new QHBoxLayout(locks);
    const QString captions[2] = {QStringLiteral("一号锁"), QStringLiteral("二号锁")};
    for (int i = 0; i < 2; ++i) {
        Option1[i] = new QRadioButton(captions[i], locks);
        Option1[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        lockRow->addWidget(Option1[i]);
    }
    Option1[0]->setChecked(true);

    mesg = new QLabel(this);
    mesg->setObjectName(QStringLiteral("mesg"));
    mesg->setMinimumHeight(22);

    Cmdadd = Buttons::make(this, QStringLiteral("Cmdadd"), QStringLiteral("添加"));
    cmddel = Buttons::make(this, QStringLiteral("cmddel"), QStringLiteral("删除"));
    Command4 = Buttons::make(this, QStringLiteral("Command4"), QStringLiteral("修改"));
    Command1 = Buttons::make(this, QStringLiteral("Command1"), QStringLiteral("修改开门延迟时间"));
    Cmdtest = Buttons::make(this, QStringLiteral("Cmdtest"), QStringLiteral("门锁初始化"));

    auto* grid = new QGridLayout;
    const QString rowCaptions[4] = {QStringLiteral("门号:"), QStringLiteral("部门:"), QStringLiteral("地址:"),
                                 QStringLiteral("开门延迟时间:")};
    QWidget* boxes[4] = {Cdoor, Cdw, Taddress, ttime};
    for (int row = 0; row < 4; ++row) {
        auto* caption = new QLabel(rowCaptions[row], this);
        caption->setBuddy(boxes[row]);
        grid->addWidget(caption, row, 0);
        grid->addWidget(boxes[row], row, 1, 1, row == 3 ? 1 : 2);
    }
    grid->addWidget(spin, 3, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QGridLayout;
    buttons->addWidget(Cmdadd, 0, 0);
    buttons->addWidget(cmddel, 0, 1);
    buttons->addWidget(Command4, 0, 2);
    buttons->addWidget(Command1, 1, 0, 1, 2);
    buttons->addWidget(Cmdtest, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(locks);
    layout->addWidget(mesg);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    Comm = port();

    Cdw->addItems(LegacyDoors::departments(Session::db()));
    Cdw->setCurrentIndex(-1);
    fillDoors();

    connect(Cdoor, &QComboBox::editTextChanged, Taddress, &QLineEdit::clear);
    connect(Cdoor, &QComboBox::activated, this, &Frmdoor::showDoor);
    connect(UpDown1[0], &QToolButton::clicked, this, [this] { step(1); });
    connect(UpDown1[1], &QToolButton::clicked, this, [this] { step(-1); });
    connect(Cmdadd, &QPushButton::clicked, this, &Frmdoor::add);
    connect(cmddel, &QPushButton::clicked, this, &Frmdoor::remove);
    connect(Command4, &QPushButton::clicked, this, &Frmdoor::modify);
    connect(Command1, &QPushButton::clicked, this, &Frmdoor::changeDelay);
    connect(Cmdtest, &QPushButton::clicked, this, &Frmdoor::initialise);
}

Frmdoor::~Frmdoor() = default;



void Frmdoor::fillDoors()
{
    const QSignalBlocker quiet(Cdoor);
    Cdoor->clear();
    Cdoor->addItems(LegacyDoors::names(Session::db()));
    Cdoor->setCurrentIndex(-1);
    Cdoor->clearEditText();
}

int Frmdoor::lockNo() const
{
    return Option1[0]->isChecked() ? 1 : 2;
}

void Frmdoor::step(int by)
{
    const int now = static_cast<int>(NumberText::leading(ttime->text()));
    ttime->setText(QString::number(std::clamp(now + by, 0, 25)));
}

void Frmdoor::showDoor()
{
    const QString name = Cdoor->currentText().trimmed();
    if (name.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入门号!"));
        return;
    }
    const std::optional<LegacyDoors::Door> d = LegacyDoors::find(Session::db(), name);
    if (!d)
        return;
    Taddress->setText(QString::number(d->address));
    ttime->setText(d->delay.toString());
    Option1[d->lockNo == 1 ? 0 : 1]->setChecked(true);
}

void Frmdoor::add()
{
    const QString name = Cdoor->currentText().trimmed();
    if (name.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入门号!"));
        return;
    }
    if (Taddress->text().trimmed().isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入地址!"));
        return;
    }
    if (!NumberText::allDigits(Taddress->text().trimmed())) {
        Prompt::exclaim(this, QStringLiteral("地址应为小于99的整数"));
        return;
    }
    const std::optional<int> address = NumberText::address(Taddress->text());
    if (!address) {
        Prompt::exclaim(this, QStringLiteral("地址<=99，请重输"));
        return;
    }
    if (ttime->text().trimmed().isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入延迟时间!"));
        return;
    }
    const std::optional<int> delay = wholeNumber(ttime->text());
    if (!delay || *delay < 0 || *delay > 25) {
        Prompt::exclaim(this, QStringLiteral("延迟时间在0到25之间，请重输"));
        return;
    }
    const LegacyDoors::Result r = LegacyDoors::add(Session::db(), {name, *address, *delay, lockNo()});
    if (r.outcome == LegacyDoors::Outcome::Duplicate) {
        Prompt::exclaim(this, QStringLiteral("门号地址重复,请重设"));
        return;
    }
    if (!r.ok()) {
        Prompt::databaseFailed(this, r.error);
        return;
    }
    const QSignalBlocker quiet(Cdoor);
    const QString typed = Cdoor->currentText();
    Cdoor->addItem(name);
    Cdoor->setEditText(typed);
    Prompt::exclaim(this, QStringLiteral("已经添加完毕"));
}

void Frmdoor::remove()
{
    const QString name = Cdoor->currentText().trimmed();
    if (name.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入要删除的门号!"));
        return;
    }
    if (!Prompt::confirm(this, QStringLiteral("确信要删除%1号门吗?").arg(name)))
        return;
    const LegacyDoors::Result r = LegacyDoors::remove(Session::db(), name);
    if (!r.ok()) {
        Prompt::databaseFailed(this, r.error);
        return;
    }
    fillDoors();
}

void Frmdoor::modify()
{
    const QString name = Cdoor->currentText().trimmed();
    if (name.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入要修改的门号!"));
        return;
    }
    if (Taddress->text().trimmed().isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入地址!"));
        return;
    }
    const std::optional<int> address = NumberText::address(Taddress->text());
    if (!address) {
        Prompt::exclaim(this, QStringLiteral("地址<=99，请重输"));
        return;
    }
    if (!Prompt::confirm(this, QStringLiteral("确信要修改%1号门吗?").arg(name)))
        return;
    const LegacyDoors::Result r = LegacyDoors::modify(Session::db(), name, *address, lockNo());
    if (!r.ok()) {
        Prompt::databaseFailed(this, r.error);
        return;
    }
    fillDoors();
    Prompt::exclaim(this, QStringLiteral("若发卡信息不为空，请务必做发卡信息重整！"));
}

std::optional<int> Frmdoor::addressForDelays()
{
    if (Taddress->text().trimmed().isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入地址!"));
        return std::nullopt;
    }
    const std::optional<int> address = NumberText::address(Taddress->text());
    if (!address || *address == 0) {
        Prompt::exclaim(this, QStringLiteral("地址大于0并且小于等于99，请重输"));
        return std::nullopt;
    }
    return address;
}

void Frmdoor::changeDelay()
{
    const std::optional<int> address = addressForDelays();
    if (!address)
        return;
    if (ttime->text().trimmed().isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请输入延迟时间!"));
        return;
    }
    const int seconds = static_cast<int>(NumberText::leading(ttime->text()));
    if (seconds < 0 || seconds > 25) {
        Prompt::exclaim(this, QStringLiteral("延迟时间在0到25之间，请重输"));
        return;
    }
    if (!DelayUnits::toCount(seconds)) {
        Prompt::exclaim(this, QStringLiteral("控制器的开门延迟时间最长为%1秒，请重输!").arg(DelayUnits::largestDelayText()));
        return;
    }
    LineOutcome outcome;
    {
        ExchangeGuard guard(working_, {Cmdadd, cmddel, Command4, Command1, Cmdtest});
        BusyCursor busy;
        if (!Comm->open(Session::lineParams()).ok()) {
            Comm->close();
            Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
            return;
        }
        outcome = DelayTime(*Comm, *address, lockNo(), seconds);
        Comm->close();
    }
    if (const std::optional<LineDoubt> doubt = LineDoubts::of(outcome)) {
        Prompt::inform(this, LineDoubts::message(*doubt, *address, QStringLiteral("修改延迟时间的命令")));
        return;
    }
    if (outcome != LineOutcome::Ok) {
        Prompt::inform(this, QStringLiteral(" 通讯出错"));
        return;
    }
    const LegacyDoors::Result r = LegacyDoors::setDelay(Session::db(), *address, lockNo(), seconds);
    if (!r.ok()) {
        Prompt::exclaim(this, QStringLiteral("延迟时间已送到控制器，但未能存入数据库：\n") + r.error);
        return;
    }
    Prompt::inform(this, QStringLiteral("修改完毕"));
}

void Frmdoor::initialise()
{
    mesg->clear();
    const std::optional<int> address = addressForDelays();
    if (!address)
        return;
    const QString t = ttime->text().trimmed();
    const int delay = static_cast<int>(NumberText::leading(t));
    if (t.isEmpty() || delay < 0 || delay > 25)
        ttime->setText(QStringLiteral("12"));

    LineOutcome outcome;
    {
        ExchangeGuard guard(working_, {Cmdadd, cmddel, Command4, Command1, Cmdtest});
        BusyCursor busy;
        if (!Comm->open(Session::lineParams()).ok()) {
            Comm->close();
            Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
            return;
        }
        outcome = ClearController(*Comm, *address, [this](ClearStep s) {
            switch (s) {
            case ClearStep::ClearingRecords: mesg->setText(QStringLiteral("正在清除存储器...")); break;
            case ClearStep::RecordsCleared: mesg->setText(QStringLiteral("清除存储器成功")); break;
            case ClearStep::ClearingLists: mesg->setText(QStringLiteral("正在清除所有名单...")); break;
            case ClearStep::ListsCleared: mesg->setText(QStringLiteral("  清除所有名单成功")); break;
            }
        });
        Comm->close();
    }
    if (outcome == LineOutcome::Ok) {
        Prompt::exclaim(this, QStringLiteral("初始化成功"));
        mesg->clear();
    } else if (const std::optional<LineDoubt> doubt = LineDoubts::of(outcome)) {
        Prompt::exclaim(this, LineDoubts::message(*doubt, *address, QStringLiteral("初始化命令")));
    } else {
        Prompt::exclaim(this, QStringLiteral("初始化出错..."));
    }
}
