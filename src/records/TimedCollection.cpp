#include "records/TimedCollection.h"

#include <QStringList>

namespace TimedCollection {

DoorResult CollectDoor(LinePort& comm, int address, const Context& context)
{
    DoorResult d;
    d.address = address;
    if (!comm.open(context.params).ok()) {
        d.outcome = DoorOutcome::PortFailed;
        return d;
    }
    const CollectResult c = CollectRecords(comm, address, CollectPlan::timed(context.params.settings),
                                           context.recordStarted);
    d.end = c.end;
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
        comm.clear();
        d.outcome = DoorOutcome::Failed;
        return d;
    default:
        // A record transfer that broke off: the rest may still be coming.
        comm.close();
        d.outcome = DoorOutcome::Failed;
        d.collected = 0;
        d.mended = 0;
        return d;
    }
    comm.clear();
    if (!SpoolFile::append(SpoolFile::path(context.params.programFolder), c.records, &d.error)) {
        d.outcome = DoorOutcome::SpoolFailed;
        return d;
    }
    d.import = SpoolFile::ImportRecords(context.db, context.params.programFolder);
    d.outcome = d.import.stored.ok ? DoorOutcome::Stored : DoorOutcome::NotStored;
    return d;
}

QString summary(const QList<DoorResult>& results)
{
    QStringList parts;
    for (const DoorResult& d : results) {
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
        case DoorOutcome::None: what = QStringLiteral("无记录"); break;
        case DoorOutcome::NotStored: what = QStringLiteral("%1条未存入").arg(d.collected); break;
        default: what = QStringLiteral("失败"); break;
        }
        parts << QStringLiteral("%1号%2").arg(d.address).arg(what);
    }
    return parts.join(QStringLiteral("，"));
}

}  // namespace TimedCollection
