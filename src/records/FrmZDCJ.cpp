#include "records/FrmZDCJ.h"

#include "db/DoorAddresses.h"
#include "doors/ControllerLine.h"
#include "link/LinePort.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/ExchangeGuard.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

using TimedCollection::DoorOutcome;

FrmZDCJ::FrmZDCJ(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmZDCJ"));
    setWindowTitle(QStringLiteral("自动采集数据"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("自动采集数据"));
    Text1->setMaximumWidth(20);
    Lab = new QLabel(this);
    Lab->setObjectName(QStringLiteral("Lab"));
    Lab->setWordWrap(true);
    Lab->setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lab, 1);
    layout->addWidget(Text1);
    resize(420, 140);
    MSComm1 = port();

    const QList<int> addresses = DoorAddresses::list(Session::db());
    LastDoor = -1;
    for (int a : addresses) {
        ++LastDoor;
        DoorAddr.append(static_cast<qint16>(a));
    }
}

FrmZDCJ::~FrmZDCJ() = default;

void FrmZDCJ::showEvent(QShowEvent* event)
{
    LineDialog::showEvent(event);
    Text1->setFocus();
    if (!started_)
        QTimer::singleShot(0, this, &FrmZDCJ::run);
}

void FrmZDCJ::run()
{
    if (started_)
        return;
    started_ = true;
    {
        ExchangeGuard guard(working_, {Text1});
        importLeftover();
        for (int i = 0; i <= LastDoor; ++i)
            CollectDoor(i);
        MSComm1->clear();
    }
    QString summary = LastDoor < 0 ? QStringLiteral("没有门禁控制器") : TimedCollection::summary(results_);
    QString details = LastDoor < 0 ? summary : TimedCollection::summary(results_, QStringLiteral("\n"));
    if (!notes_.isEmpty()) {
        summary += QStringLiteral("；") + notes_.join(QStringLiteral("；"));
        details += QStringLiteral("\n") + notes_.join(QStringLiteral("\n"));
    }
    emit runFinished(summary, details);
    close();
}

QString FrmZDCJ::importNote(const SpoolFile::ImportOutcome& o) const
{
    using S = SpoolFile::ImportOutcome::Status;
    QString note;
    switch (o.status) {
    case S::ReadFailed: note = QStringLiteral("seda.dat读不出来,留待下次存入：") + o.error; break;
    case S::StoreFailed: note = QStringLiteral("存入数据库失败,记录留在seda.dat中待下次存入：") + o.error; break;
    case S::RejectFailed: note = QStringLiteral("seda.rej写不进去,seda.dat保留：") + o.error; break;
    case S::RemoveFailed: note = QStringLiteral("seda.dat删除失败：") + o.error; break;
    default: break;
    }
    if (o.damaged > 0) {
        if (!note.isEmpty())
            note += QStringLiteral("  ");
        // The damaged lines reach seda.rej only after the records were stored.
        const bool setAside = o.status == S::Imported || o.status == S::RemoveFailed;
        note += QStringLiteral("seda.dat中有%1行无法读取").arg(o.damaged) +
                (setAside ? QStringLiteral(",已移到seda.rej") : QString());
    }
    return note;
}

void FrmZDCJ::importLeftover()
{
    const QString folder = Session::lineParams().programFolder;
    const SpoolFile::ImportOutcome o = SpoolFile::ImportRecords(Session::db(), folder);
    if (o.status == SpoolFile::ImportOutcome::Status::NoFile)
        return;
    QString note = importNote(o);
    if (o.ok())
        note = QStringLiteral("上次留下的%1条记录已存入").arg(o.lines) + (note.isEmpty() ? QString() : QStringLiteral("  ") + note);
    notes_ << note;
    Lab->setText(note);
}

void FrmZDCJ::CollectDoor(int i)
{
    const int address = DoorAddr.at(i);
    TimedCollection::Context context;
    context.db = Session::db();
    context.params = Session::lineParams();
    context.recordStarted = [this](int k, int) { Lab->setText(QStringLiteral("正在采集第%1条记录").arg(k)); };

    Lab->clear();
    TimedCollection::DoorResult d;
    {
        BusyCursor busy;
        d = TimedCollection::CollectDoor(*MSComm1, address, context);
    }
    results_.append(d);

    QString text;
    switch (d.outcome) {
    case DoorOutcome::PortFailed: Lab->setText(QStringLiteral("串口通信端口没有打开")); return;
    case DoorOutcome::None: Lab->setText(QStringLiteral("终端没有数据输出!")); return;
    case DoorOutcome::Failed:
        switch (d.end) {
        case CollectEnd::SendFailed: Lab->setText(QStringLiteral("串口通信端口没有打开")); break;
        case CollectEnd::NoEcho:
        case CollectEnd::NoCount: Lab->setText(QStringLiteral("没有数据输出!")); break;
        case CollectEnd::WrongEcho: Lab->setText(QStringLiteral("终端没有数据输出!")); break;
        case CollectEnd::Disturbed: Lab->setText(disturbedLine(address)); break;
        default: Lab->setText(QStringLiteral("数据输出故障!")); break;
        }
        return;
    case DoorOutcome::SpoolFailed:
        text = QStringLiteral("正确采集到  %1 条记录\r\n").arg(d.collected);
        Lab->setText(text + QStringLiteral("写入seda.dat失败：") + d.error);
        notes_ << QStringLiteral("%1号写入seda.dat失败").arg(address);
        return;
    case DoorOutcome::Stored:
    case DoorOutcome::BrokeOff:
    case DoorOutcome::NotStored: break;
    }
    text = QStringLiteral("正确采集到  %1 条记录\r\n").arg(d.collected);
    // The answer stopped: what came before it is stored all the same.
    if (d.outcome == DoorOutcome::BrokeOff)
        text.prepend(QStringLiteral("数据输出故障!\r\n"));
    if (d.mended > 0)
        text += QStringLiteral("其中%1条记录的日期不存在,已存为当月最后一天\r\n").arg(d.mended);
    const QString note = importNote(d.import);
    if (!note.isEmpty())
        notes_ << QStringLiteral("%1号：").arg(address) + note;
    if (d.outcome != DoorOutcome::NotStored)
        Lab->setText(text + QStringLiteral("   已经存入") + (note.isEmpty() ? QString() : QStringLiteral("\r\n") + note));
    else
        Lab->setText(text + note);
}
