#include "admin/FrmSJCJSZ.h"

#include "ui/DateTimeBoxes.h"
#include "ui/TypedInput.h"

#include "admin/CollectSchedule.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "ui/Prompter.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

FrmSJCJSZ::FrmSJCJSZ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSJCJSZ"));
    setWindowTitle(QStringLiteral("数据采集设置"));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    timed = new QRadioButton(QStringLiteral("自 动"), frame);
    timed->setObjectName(QStringLiteral("Opt1_0"));
    byHand = new QRadioButton(QStringLiteral("手 动"), frame);
    byHand->setObjectName(QStringLiteral("Opt1_1"));
    DTP1 = DateTimeBoxes::time(frame, QStringLiteral("H:mm:ss"));
    DTP1->setObjectName(QStringLiteral("DTP1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Command1 = new QPushButton(QStringLiteral("确 定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("取 消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* options = new QHBoxLayout;
    options->addWidget(timed);
    options->addWidget(byHand);
    auto* timeRow = new QHBoxLayout;
    auto* timeLabel = new QLabel(QStringLiteral("请选择时间："), frame);
    timeLabel->setBuddy(DTP1);
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(DTP1, 1);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addLayout(options);
    inFrame->addLayout(timeRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* main = new QVBoxLayout(this);
    main->addWidget(frame);
    main->addWidget(Label2);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetMinimumSize);

    DTP1->setTime(Clock::now().time());
    Label2->hide();
    if (const auto stored = CollectSchedule::load(Session::db())) {
        Label2->setText(QStringLiteral("上次设定的时间：  ") + stored->time + QStringLiteral(":00"));
        Label2->show();
        if (stored->type == 1) {
            timed->setChecked(true);
        } else {
            byHand->setChecked(true);
            DTP1->setEnabled(false);
        }
    }

    connect(timed, &QRadioButton::clicked, this, &FrmSJCJSZ::followOption);
    connect(byHand, &QRadioButton::clicked, this, &FrmSJCJSZ::followOption);
    connect(Command1, &QPushButton::clicked, this, &FrmSJCJSZ::store);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmSJCJSZ::followOption()
{
    DTP1->setEnabled(timed->isChecked());
}

void FrmSJCJSZ::store()
{
    if (timed->isChecked() && DateTimeBoxes::refused(DTP1))
        return;
    const CollectSchedule::Schedule s =
        timed->isChecked() ? CollectSchedule::timed(DTP1->time()) : CollectSchedule::manual();
    const SettingsWrite w = CollectSchedule::save(Session::db(), s);
    if (!w.ok) {
        Prompt::exclaim(this, QStringLiteral("设置没有保存：") + w.error);
        return;
    }
    accept();
}
