#include "doors/ControllerLine.h"

#include "doors/ControllerFrames.h"
#include "doors/LockKind.h"
#include "link/CommandFrame.h"

#include <QFile>

using namespace std::chrono_literals;

namespace {

LineOutcome echoed(LinePort& comm, const QByteArray& frame, const ExchangeOptions& options = ExchangeOptions::echo())
{
    if (!comm.isOpen())
        return LineOutcome::PortNotOpen;
    const ExchangeStatus status = comm.exchange(frame, options).status;
    if (status != ExchangeStatus::TimedOut)
        return outcomeOf(status);
    // A controller that answers after its wait has taken the command all
    // the same: the operator must hear that it may have been carried out.
    switch (comm.quietAfterFailure()) {
    case QuietEnd::Heard: return LineOutcome::Late;
    case QuietEnd::Disturbed: return LineOutcome::Disturbed;
    case QuietEnd::Silent: break;
    }
    return LineOutcome::NoAnswer;
}

}  // namespace

LineOutcome outcomeOf(ExchangeStatus status)
{
    switch (status) {
    case ExchangeStatus::Ok: return LineOutcome::Ok;
    case ExchangeStatus::PortNotOpen: return LineOutcome::PortNotOpen;
    case ExchangeStatus::Busy: return LineOutcome::Busy;
    case ExchangeStatus::WriteFailed: return LineOutcome::PortFailed;
    case ExchangeStatus::TimedOut: return LineOutcome::NoAnswer;
    case ExchangeStatus::WrongAddress: return LineOutcome::WrongAnswer;
    case ExchangeStatus::Disturbed: return LineOutcome::Disturbed;
    }
    return LineOutcome::NoAnswer;
}

QString disturbedReason()
{
    return QStringLiteral("线路上有干扰");
}

QString disturbedLine(int address)
{
    return QStringLiteral("%1号门").arg(address) + disturbedReason();
}

ReadSysResult ReadSys(LinePort& comm, int address, const LineParams& params)
{
    if (!comm.open(params).ok()) {
        ReadSysResult r;
        r.outcome = LineOutcome::PortNotOpen;
        return r;
    }
    const ReadSysResult r = ReadStatus(comm, address);
    if (r.ok() && !SysInf::write(*r.status))
        QFile::remove(SysInf::path());
    return r;
}

ReadSysResult ReadStatus(LinePort& comm, int address)
{
    ReadSysResult r;
    ExchangeOptions o;
    o.awaitedBytes = StatusReply::kSize;
    o.timeout = 3s;
    // Exactly fifteen bytes: a burst past them is not this controller's
    // status alone (a stray byte before it, another controller's late
    // reply after it) and fails like a wrong answer.
    o.read = ReadMode::Exact;
    const ExchangeResult x = comm.exchange(ControllerFrames::statusQuery(static_cast<quint8>(address)), o);
    r.outcome = outcomeOf(x.status);
    if (!r.ok())
        return r;
    r.status = StatusReply::decode(x.reply);
    if (!r.status)
        r.outcome = LineOutcome::NoAnswer;
    return r;
}

LineOutcome DelayTime(LinePort& comm, int address, int lock, double seconds)
{
    const std::optional<quint8> count = DelayUnits::toCount(seconds);
    if (!count)
        return LineOutcome::DelayTooLong;
    return echoed(comm, ControllerFrames::setLockDelay(static_cast<quint8>(address), lock, *count));
}

LineOutcome ClearRecords(LinePort& comm, int address, std::chrono::milliseconds timeout)
{
    return echoed(comm, ControllerFrames::clearRecords(static_cast<quint8>(address)), ExchangeOptions::echo(timeout));
}

LineOutcome ClearLists(LinePort& comm, int address, std::chrono::milliseconds timeout)
{
    return echoed(comm, ControllerFrames::clearLists(static_cast<quint8>(address)), ExchangeOptions::echo(timeout));
}

LineOutcome ClearController(LinePort& comm, int address, const std::function<void(ClearStep)>& progress)
{
    auto tell = [&](ClearStep s) {
        if (progress)
            progress(s);
    };
    tell(ClearStep::ClearingRecords);
    LineOutcome o = ClearRecords(comm, address);
    if (o != LineOutcome::Ok)
        return o;
    tell(ClearStep::RecordsCleared);
    tell(ClearStep::ClearingLists);
    o = ClearLists(comm, address);
    if (o != LineOutcome::Ok)
        return o;
    tell(ClearStep::ListsCleared);
    return o;
}

LineOutcome SendDate(LinePort& comm, int address, const QDate& date)
{
    const std::optional<QByteArray> frame = ControllerFrames::setDate(static_cast<quint8>(address), date);
    if (!frame)
        return LineOutcome::DateOutsideYears;
    return echoed(comm, *frame);
}

LineOutcome SendTime(LinePort& comm, int address, const QTime& time)
{
    return echoed(comm, SetTime::frame(static_cast<quint8>(address), time));
}

LineOutcome OpenLock(LinePort& comm, int address, int lock)
{
    ExchangeOptions o = ExchangeOptions::echo();
    o.pauseOneSecond = true;
    return echoed(comm, ControllerFrames::openLock(static_cast<quint8>(address), lock), o);
}
