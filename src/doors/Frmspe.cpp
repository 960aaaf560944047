#include "doors/Frmspe.h"

#include "db/DoorAddresses.h"
#include "db/NumberText.h"
#include "session/Session.h"
#include "doors/ControllerLine.h"
#include "doors/LineDoubt.h"
#include "doors/DoorsTable.h"
#include "ui/BoxNames.h"
#include "ui/LineWords.h"
#include "ui/ExchangeGuard.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Frmspe::Frmspe(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("Frmspe"));
    setWindowTitle(QStringLiteral("特殊情况处理"));

    auto* prompt = new QLabel(QStringLiteral("请选择欲打开门锁地址："), this);
    Cdoor = new QComboBox(this);
    Cdoor->setObjectName(QStringLiteral("Cdoor"));
    prompt->setBuddy(Cdoor);
    Cdoor->setMinimumWidth(100);
    TypedInput::digitsOnly(Cdoor);
    InputFilters::enterDropped(Cdoor);

    auto* locks = new QGroupBox(this);
    auto* group = new QButtonGroup(this);
    auto* lockRow = new QHBoxLayout(locks);
    const QString captions[2] = {QStringLiteral("锁一"), QStringLiteral("锁二")};
    for (int i = 0; i < 2; ++i) {
        Option1[i] = new QRadioButton(captions[i], locks);
        Option1[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        group->addButton(Option1[i], i);
        lockRow->addWidget(Option1[i]);
    }

    Copen = new QPushButton(QStringLiteral("开 锁"), this);
    Copen->setObjectName(QStringLiteral("Copen"));
    Command1 = new QPushButton(QStringLiteral("退 出"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    for (QPushButton* b : {Copen, Command1})
        b->setAutoDefault(false);

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(prompt);
    addressRow->addWidget(Cdoor, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Copen);
    buttons->addWidget(Command1);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(addressRow);
    layout->addWidget(locks);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    comm = port();

    connect(Copen, &QPushButton::clicked, this, &Frmspe::open);
    connect(Command1, &QPushButton::clicked, this, &Frmspe::close);

    const QList<int> addresses = DoorAddresses::list(Session::db());
    for (int a : addresses)
        Cdoor->addItem(QString::number(a));
    Cdoor->setCurrentIndex(-1);
    Cdoor->clearEditText();
    if (addresses.isEmpty())
        Prompt::exclaim(parentWidget(), QStringLiteral(" 请先在系统设置里配置门锁"));
    BoxNames::fromLabels(this);
}

Frmspe::~Frmspe() = default;



void Frmspe::open()
{
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("请选择门号!"));
        return;
    }
    const std::optional<int> address = NumberText::address(text);
    if (!address || !DoorsTable::find(Session::db(), *address))
        return;
    // Only the lock the operator chose is ever opened.
    const int lock = Option1[0]->isChecked() ? 1 : Option1[1]->isChecked() ? 2 : 0;
    if (lock == 0) {
        Prompt::exclaim(this, QStringLiteral("请选择锁号!"));
        return;
    }

    LineOutcome outcome;
    {
        ExchangeGuard guard(working_, {Cdoor, Option1[0], Option1[1], Copen, Command1});
        BusyCursor busy;
        if (!comm->open(Session::lineParams()).ok())
            outcome = LineOutcome::PortNotOpen;
        else
            outcome = OpenLock(*comm, *address, lock);
    }
    switch (outcome) {
    case LineOutcome::Ok:
        comm->close();
        Prompt::exclaim(this, QStringLiteral("开门成功"));
        break;
    case LineOutcome::WrongAnswer:
    case LineOutcome::Late:
    case LineOutcome::Disturbed:
        // The press may have reached the controller: the lock may well be open.
        comm->close();
        Prompt::exclaim(this, LineDoubts::message(*LineDoubts::of(outcome), *address, QStringLiteral("开锁命令")));
        break;
    case LineOutcome::NoAnswer:
        // The port stays open; the next press empties it before it sends.
        Prompt::exclaim(this, QStringLiteral("连接失败"));
        break;
    default:
        comm->close();
        Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
        break;
    }
}
