#include "attendance/Frmkqzl.h"

#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/Buttons.h"
#include "ui/TypedInput.h"

#include "attendance/AttendanceProcessing.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"
#include "ui/WorkProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QDateEdit* datePicker(QWidget* parent, const char* name, const QRect& r)
{
    QDateEdit* d = DateTimeBoxes::date(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setGeometry(r);
    return d;
}

}  // namespace

Frmkqzl::Frmkqzl(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmkqzl"));
    setWindowTitle(QStringLiteral("考勤数据整理"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(380, 170);

    auto* label1 = new QLabel(QStringLiteral("整理数据时间段："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(20, 16, 200, 22);
    (new QLabel(QStringLiteral("从"), this))->setGeometry(20, 48, 20, 24);
    dtp1_ = datePicker(this, "DTP1", QRect(42, 48, 130, 24));
    (new QLabel(QStringLiteral("到"), this))->setGeometry(190, 48, 20, 24);
    dtp2_ = datePicker(this, "DTP2", QRect(212, 48, 130, 24));

    prg_ = new QProgressBar(this);
    prg_->setObjectName(QStringLiteral("Prg"));
    prg_->setGeometry(20, 88, 340, 20);
    prg_->hide();

    command1_ = Buttons::make(this, "Command1", QStringLiteral("开始"), QRect(90, 124, 80, 28));
    command2_ = Buttons::make(this, "Command2", QStringLiteral("退出"), QRect(210, 124, 80, 28));
    connect(command1_, &QPushButton::clicked, this, &Frmkqzl::start);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);
    Resize::scaleForFont(this);

    const QDate today = Clock::today();
    dtp1_->setDate(QDate(today.year(), today.month(), 1));
    dtp2_->setDate(today);
    BoxNames::part(dtp1_, label1->text(), QStringLiteral("从"));
    BoxNames::part(dtp2_, label1->text(), QStringLiteral("到"));
}

void Frmkqzl::reject()
{
    if (!running_)
        QDialog::reject();
}

void Frmkqzl::closeEvent(QCloseEvent* event)
{
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void Frmkqzl::start()
{
    if (DateTimeBoxes::refused(this))
        return;
    if (dtp1_->date() > dtp2_->date()) {
        Prompt::exclaim(this, QStringLiteral("“从”的日期晚于“到”的日期，请改正！"));
        dtp1_->setFocus();
        return;
    }
    prg_->setValue(0);
    AttendanceProcessing::Outcome outcome;
    {
        BusyCursor busy;
        HeldInput held;
        running_ = true;
        command1_->setEnabled(false);
        command2_->setEnabled(false);
        prg_->show();
        outcome = AttendanceProcessing::run(Session::db(), dtp1_->date(), dtp2_->date(), [this](int done, int total) {
            prg_->setMaximum(std::max(total, 1));
            prg_->setValue(std::min(done, prg_->maximum()));
            HeldInput::paint();
        });
        prg_->hide();
        running_ = false;
        command1_->setEnabled(true);
        command2_->setEnabled(true);
    }
    switch (outcome.status) {
    case AttendanceProcessing::Status::Done:
        break;
    case AttendanceProcessing::Status::NoWorkTimes:
        Prompt::inform(this, outcome.message());
        command1_->setEnabled(false);
        break;
    default:
        Prompt::exclaim(this, outcome.message());
        break;
    }
}
