#include "records/TimedCollection.h"

#include "doors/ControllerLine.h"

#include <QStringList>

namespace TimedCollection {

DoorResult CollectDoor(LinePort& comm, int address, const Context& context)
{
    DoorResult d;
    d.address = address;
    const OpenResult opened = comm.open(context.params);
    if (!opened.ok()) {
        d.open = opened.status;
        d.error = opened.detail;
        d.outcome = DoorOutcome::PortFailed;
        return d;
    }
    const CollectResult c = CollectRecords(comm, address, CollectPlan::timed(context.params.settings),
                                           context.recordStarted);
    d.end = c.end;
    d.announced = c.announced;
    d.collected = static_cast<int>(c.records.size());
    for (const CollectedRecord& r : c.records)
        d.mended += r.mended ? 1 : 0;
    switch (c.end) {
    case CollectEnd::Complete: break;
    case CollectEnd::NoRecords: d.outcome = DoorOutcome::None; return d;
    case CollectEnd::SendFailed:
    case CollectEnd::NoEcho:
    case CollectEnd::WrongEcho:
    case CollectEnd::NoCount:
    case CollectEnd::Disturbed:
        d.outcome = DoorOutcome::Failed;
        return d;
    case CollectEnd::RecordEchoMissing:
    case CollectEnd::RecordIncomplete:
        // The answer stopped: the records before are whole and kept, as
        // by hand. The rest may still be coming: the line quiets down
        // before the next controller is asked.
        if (c.records.isEmpty()) {
            d.outcome = DoorOutcome::Failed;
            return d;
        }
        break;
    default:
        // A wrong address byte in the middle, or more bytes after the end:
        // nothing of this answer can be told apart from another's.
        d.outcome = DoorOutcome::Failed;
        d.collected = 0;
        d.mended = 0;
        return d;
    }
    if (!SpoolFile::append(SpoolFile::path(context.params.programFolder), c.records, &d.error)) {
        d.outcome = DoorOutcome::SpoolFailed;
        return d;
    }
    d.import = SpoolFile::ImportRecords(context.db, context.params.programFolder);
    if (!d.import.stored.ok)
        d.outcome = DoorOutcome::NotStored;
    else
        d.outcome = c.end == CollectEnd::Complete ? DoorOutcome::Stored : DoorOutcome::BrokeOff;
    return d;
}

namespace {

QString failureReason(const DoorResult& d)
{
    if (d.outcome == DoorOutcome::PortFailed) {
        switch (d.open) {
        case OpenStatus::HeldByAnotherWindow: return QStringLiteral("串口正被本程序的其他窗口使用");
        case OpenStatus::CannotOpen:
            return QStringLiteral("串口打不开,可能正被其他程序占用") + (d.error.isEmpty() ? QString() : QStringLiteral("：") + d.error);
        default: return QStringLiteral("串口设置不对");
        }
    }
    switch (d.end) {
    case CollectEnd::SendFailed: return QStringLiteral("采集指令发不出去");
    case CollectEnd::NoEcho:
    case CollectEnd::NoCount: return QStringLiteral("没有按时应答");
    case CollectEnd::WrongEcho:
    case CollectEnd::RecordEchoWrong: return QStringLiteral("应答的地址不对");
    case CollectEnd::Overrun: return QStringLiteral("应答后有多余的数据");
    case CollectEnd::Disturbed: return disturbedReason();
    default: return QStringLiteral("应答中断");
    }
}

}  // namespace

QString outcomeText(const DoorResult& d)
{
    QString what;
    switch (d.outcome) {
    case DoorOutcome::Stored:
        // The memories are not cleared on this path: most of a day's
        // records were stored by the runs before, and must not be
        // reported as new passes.
        what = d.import.stored.stored == d.collected
                   ? QStringLiteral("存入%1条").arg(d.collected)
                   : QStringLiteral("采集%1条（新存入%2条）").arg(d.collected).arg(d.import.stored.stored);
        break;
    case DoorOutcome::BrokeOff:
        what = QStringLiteral("应答中断,应有%1条,采集%2条（新存入%3条）")
                   .arg(d.announced)
                   .arg(d.collected)
                   .arg(d.import.stored.stored);
        break;
    case DoorOutcome::None: what = QStringLiteral("无记录"); break;
    case DoorOutcome::NotStored:
        what = QStringLiteral("%1条未存入").arg(d.collected) +
               (d.import.error.isEmpty() ? QString() : QStringLiteral("(%1)").arg(d.import.error));
        break;
    case DoorOutcome::SpoolFailed: what = QStringLiteral("失败(写入seda.dat失败：%1)").arg(d.error); break;
    default: what = QStringLiteral("失败(%1)").arg(failureReason(d)); break;
    }
    return QStringLiteral("%1号%2").arg(d.address).arg(what);
}

QString summary(const QList<DoorResult>& results, const QString& separator)
{
    QStringList parts;
    for (const DoorResult& d : results)
        parts << outcomeText(d);
    return parts.join(separator);
}

}  // namespace TimedCollection
