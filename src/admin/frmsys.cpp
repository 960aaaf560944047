#include "admin/frmsys.h"

#include "admin/CommTest.h"
#include "admin/PortSettings.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "db/ProgramFolder.h"
#include "doors/ControllerLine.h"
#include "ui/ExchangeGuard.h"
#include "link/LinePort.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/LineWords.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <optional>

frmsys::frmsys(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmsys"));
    setWindowTitle(QStringLiteral("系统设置"));
    comm = new LinePort(this);
    comm->setObjectName(QStringLiteral("comm"));

    auto box = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        TypedInput::storedText(e);
        return e;
    };
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Tport = box("Tport");
    Tset = box("Tset");
    Tinb = box("Tinb");
    Toutb = box("Toutb");
    cmdok = button("cmdok", QStringLiteral("应用"));
    cmdtest = button("cmdtest", QStringLiteral("测试"));
    cmdexit = button("cmdexit", QStringLiteral("退出"));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    tdz = new QLineEdit(Frame1);
    tdz->setObjectName(QStringLiteral("tdz"));
    tdz->setMaximumWidth(80);
    Command1 = new QPushButton(QStringLiteral("确定"), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command2 = new QPushButton(QStringLiteral("退出"), Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    auto* grid = new QGridLayout;
    const struct {
        const char* caption;
        QLineEdit* edit;
    } rows[] = {{"串口号:", Tport}, {"通讯设置:", Tset}, {"输入缓冲区:", Tinb}, {"输出缓冲区:", Toutb}};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromUtf8(rows[i].caption), this);
        label->setBuddy(rows[i].edit);
        grid->addWidget(label, i, 0, Qt::AlignRight);
        grid->addWidget(rows[i].edit, i, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdok);
    buttons->addWidget(cmdtest);
    buttons->addWidget(cmdexit);

    auto* panel = new QGridLayout(Frame1);
    auto* addressLabel = new QLabel(QStringLiteral("请输入一个门禁地址："), Frame1);
    addressLabel->setBuddy(tdz);
    panel->addWidget(addressLabel, 0, 0);
    panel->addWidget(tdz, 0, 1);
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addStretch();
    panelButtons->addWidget(Command1);
    panelButtons->addWidget(Command2);
    panel->addLayout(panelButtons, 1, 0, 1, 2);

    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);
    main->addWidget(Frame1);
    main->addStretch();
    main->setSizeConstraint(QLayout::SetMinimumSize);
    Frame1->hide();

    setTabOrder(Tport, Tset);
    setTabOrder(Tset, Tinb);
    setTabOrder(Tinb, Toutb);
    setTabOrder(Toutb, cmdok);
    setTabOrder(cmdok, cmdtest);
    setTabOrder(cmdtest, cmdexit);
    setTabOrder(cmdexit, tdz);
    setTabOrder(tdz, Command1);
    setTabOrder(Command1, Command2);

    InputFilters::enterDropped(Tport);
    InputFilters::enterMovesOn(tdz);
    InputFilters::backspaceDropped(tdz);
    TypedInput::digitsOnly(Tport);
    TypedInput::digitsOnly(tdz);

    Tport->setText(QString::number(Session::PortNo));
    Tset->setText(Session::CommSettings);
    Tinb->setText(QString::number(Session::InBufSize));
    Toutb->setText(QString::number(Session::OutBufSize));

    connect(cmdok, &QPushButton::clicked, this, &frmsys::apply);
    connect(cmdtest, &QPushButton::clicked, this, &frmsys::showTestPanel);
    connect(cmdexit, &QPushButton::clicked, this, &QDialog::close);
    connect(Command1, &QPushButton::clicked, this, &frmsys::runTest);
    connect(Command2, &QPushButton::clicked, this, &frmsys::hideTestPanel);
}

frmsys::~frmsys() = default;

bool frmsys::testing() const
{
    return comm->busy();
}

void frmsys::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
}

void frmsys::reject()
{
    // A test that waits for its controller is not left behind.
    if (testing())
        return;
    QDialog::reject();
}

void frmsys::closeEvent(QCloseEvent* event)
{
    if (testing()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmsys::apply()
{
    const PortSettings::Read read = PortSettings::fromTexts(Tport->text(), Tset->text(), Tinb->text(), Toutb->text());
    if (!read.values) {
        QLineEdit* boxes[] = {Tport, Tset, Tinb, Toutb};
        boxes[static_cast<int>(read.refused)]->setFocus();
        return;
    }
    const SettingsWrite w = PortSettings::apply(Session::db(), *read.values);
    if (!w.ok) {
        Prompt::exclaim(this, QStringLiteral("设置没有保存：") + w.error);
        return;
    }
    accept();
}

void frmsys::showTestPanel()
{
    Frame1->show();
    adjustSize();
    cmdtest->setEnabled(false);
    cmdok->setEnabled(false);
    // The pressed button is now disabled: the address box takes the focus
    // instead of whatever follows the button.
    tdz->setFocus(Qt::OtherFocusReason);
}

void frmsys::hideTestPanel()
{
    Frame1->hide();
    adjustSize();
    cmdok->setEnabled(true);
    cmdtest->setEnabled(true);
}

void frmsys::runTest()
{
    quint8 address = 0;
    switch (CommTest::checkAddress(tdz->text(), &address)) {
    case CommTest::AddressCheck::Empty:
        Prompt::inform(this, QStringLiteral("请输入考勤机地址”"));
        tdz->setFocus();
        return;
    case CommTest::AddressCheck::NotAnAddress:
        Prompt::inform(this, QStringLiteral("地址为0-99之间的整数"));
        tdz->setFocus();
        return;
    case CommTest::AddressCheck::Ok:
        break;
    }

    switch (CommTest::openFromBoxes(*comm, Tport->text(), Tset->text(), Tinb->text(), Toutb->text(),
                                    ProgramFolder::path())) {
    case CommTest::PortProblem::BadPortNumber:
        Prompt::exclaim(this, QStringLiteral("通讯端口设置错误"));
        hideTestPanel();
        return;
    case CommTest::PortProblem::BadSettings:
        Prompt::exclaim(this, QStringLiteral("通讯参数设置错误"));
        hideTestPanel();
        return;
    case CommTest::PortProblem::HeldByAnotherWindow:
        Prompt::exclaim(this, LineWords::held(QStringLiteral("通讯失败")));
        hideTestPanel();
        return;
    case CommTest::PortProblem::NotOpened:
        // Nothing can answer on a port that is not open: the test has
        // failed, and waiting for its time-out would tell nothing more.
        Prompt::exclaim(this, QStringLiteral("通讯失败"));
        hideTestPanel();
        return;
    case CommTest::PortProblem::None:
        break;
    }

    std::optional<CommTest::Outcome> outcome;
    {
        BusyCursor busy;
        ExchangeGuard guard({Command1, Command2, cmdexit});
        outcome = CommTest::run(*comm, address, Clock::now().time());
    }
    hideTestPanel();
    switch (*outcome) {
    case CommTest::Outcome::NoReply: Prompt::exclaim(this, QStringLiteral("通讯失败")); break;
    case CommTest::Outcome::Success: Prompt::exclaim(this, QStringLiteral("测试成功")); break;
    case CommTest::Outcome::WrongReply: Prompt::exclaim(this, QStringLiteral("测试失败")); break;
    case CommTest::Outcome::Disturbed: Prompt::exclaim(this, disturbedLine(address)); break;
    }
}
