#include "doors/FrmCDT.h"

#include "db/DoorAddresses.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "doors/ControllerLine.h"
#include "doors/LineDoubt.h"
#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/LineWords.h"
#include "ui/ControllerDates.h"
#include "ui/ExchangeGuard.h"
#include "ui/InputFilters.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

FrmCDT::FrmCDT(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmCDT"));
    setWindowTitle(QStringLiteral("修改卡机日期时间"));

    Label1 = new QLabel(QStringLiteral("请选择地址："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    InputFilters::pickOnly(Combo1);
    Combo1->setMinimumWidth(100);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label3 = new QLabel(QStringLiteral("日期："), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    DTP1 = DateTimeBoxes::date(Frame1);
    DTP1->setObjectName(QStringLiteral("DTP1"));
    ControllerDates::bound(DTP1);
    Command1 = new QPushButton(QStringLiteral("修改日期"), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto* dateRow = new QHBoxLayout(Frame1);
    dateRow->addWidget(Label3);
    dateRow->addWidget(DTP1, 1);
    dateRow->addWidget(Command1);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label5 = new QLabel(QStringLiteral("时间："), Frame2);
    Label5->setObjectName(QStringLiteral("Label5"));
    DTX2 = DateTimeBoxes::time(Frame2, QStringLiteral("HH:mm:ss"));
    DTX2->setObjectName(QStringLiteral("DTX2"));
    Command2 = new QPushButton(QStringLiteral("修改时间"), Frame2);
    Command2->setObjectName(QStringLiteral("Command2"));
    auto* timeRow = new QHBoxLayout(Frame2);
    timeRow->addWidget(Label5);
    timeRow->addWidget(DTX2, 1);
    timeRow->addWidget(Command2);

    Picture1 = new QToolButton(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Picture1->setIconSize(QSize(32, 32));
    Picture1->setAutoRaise(true);
    Picture1->setToolTip(QStringLiteral("关闭"));
    Picture1->setAccessibleName(Picture1->toolTip());

    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(Combo1);
    top->addStretch(1);
    top->addWidget(Picture1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    setMinimumWidth(380);

    const QList<int> addresses = DoorAddresses::list(Session::db());
    for (int a : addresses)
        Combo1->addItem(QString::number(a));
    Combo1->setCurrentIndex(addresses.isEmpty() ? -1 : 0);
    const QDateTime now = Clock::now();
    DTP1->setDate(now.date());
    DTX2->setTime(now.time());

    MSC1 = port();

    connect(Command1, &QPushButton::clicked, this, [this] { send(Command::Date); });
    connect(Command2, &QPushButton::clicked, this, [this] { send(Command::Time); });
    connect(Picture1, &QToolButton::clicked, this, &FrmCDT::close);
    Label1->setBuddy(Combo1);
    Label3->setBuddy(DTP1);
    Label5->setBuddy(DTX2);
    BoxNames::fromLabels(this);
}

FrmCDT::~FrmCDT() = default;



void FrmCDT::send(Command command)
{
    const QString text = Combo1->currentText().trimmed();
    if (text.isEmpty()) {
        Prompt::inform(this, command == Command::Date ? QStringLiteral("请选择地址 ！") : QStringLiteral("请选择地址！"));
        return;
    }
    if (DateTimeBoxes::refused(command == Command::Date ? static_cast<QWidget*>(DTP1) : DTX2))
        return;
    const int address = text.toInt();

    LineOutcome outcome;
    {
        ExchangeGuard guard(working_, {Combo1, Command1, Command2, Picture1});
        BusyCursor busy;
        if (!MSC1->open(Session::lineParams()).ok())
            outcome = LineOutcome::PortNotOpen;
        else if (command == Command::Date)
            outcome = SendDate(*MSC1, address, DTP1->date());
        else
            outcome = SendTime(*MSC1, address, DTX2->time());
    }
    switch (outcome) {
    case LineOutcome::Ok:
        Prompt::inform(this, command == Command::Date ? QStringLiteral("修改日期成功！") : QStringLiteral("修改时间成功！"));
        break;
    case LineOutcome::PortNotOpen:
    case LineOutcome::PortFailed:
        MSC1->close();
        Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
        break;
    case LineOutcome::DateOutsideYears:
        Prompt::exclaim(this, ControllerDates::outsideText());
        break;
    case LineOutcome::WrongAnswer:
    case LineOutcome::Late:
    case LineOutcome::Disturbed:
        Prompt::inform(this, LineDoubts::message(*LineDoubts::of(outcome), address,
                                                 command == Command::Date ? QStringLiteral("修改日期的命令")
                                                                          : QStringLiteral("修改时间的命令")));
        break;
    default: Prompt::inform(this, QStringLiteral("通信失败!请重试！")); break;
    }
}
