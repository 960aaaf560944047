#include "records/RecordCollect.h"

#include "link/CommandFrame.h"
#include "link/LineClock.h"
#include "link/SerialFormat.h"

#include <algorithm>
#include <cmath>

using namespace std::chrono;
using namespace std::chrono_literals;

CollectPlan CollectPlan::byHand()
{
    return {};
}

milliseconds CollectPlan::lineTime(qint64 bytes, const QString& commSettings)
{
    const SerialFormat format = SerialFormat::parse(commSettings).value_or(SerialFormat{});
    const double seconds = double(bytes) * format.bitsPerByte() / double(std::max(1, format.baud));
    return milliseconds(static_cast<qint64>(std::ceil(seconds * 1000.0)));
}

milliseconds CollectPlan::lateWait() const
{
    return std::max({firstEcho, count.value_or(0ms), recordEcho, recordBody});
}

CollectPlan CollectPlan::timed(const QString& commSettings)
{
    CollectPlan p;
    p.clamps = ClampRule::Timed;
    p.firstEcho = 3s;
    p.count.reset();
    p.allRecords = [commSettings](quint16 announced) {
        return 2s + 2 * lineTime(qint64(announced) * (1 + AccessRecord::kSize), commSettings);
    };
    return p;
}

namespace {

// A moment a wait must not pass, on the monotonic clock.
class Deadline {
public:
    void restart(milliseconds within)
    {
        at_ = LineClock::now();
        within_ = within;
    }
    milliseconds left() const { return std::max(0ms, within_ - duration_cast<milliseconds>(LineClock::now() - at_)); }

private:
    LineClock::Time at_ = LineClock::now();
    milliseconds within_{0};
};

}  // namespace

CollectResult CollectRecords(LinePort& comm, int address, const CollectPlan& plan,
                             const std::function<void(int, int)>& recordStarted)
{
    CollectResult r;
    RecordStream stream(static_cast<quint8>(address), plan.clamps);
    auto finish = [&](CollectEnd end) {
        if (end == CollectEnd::Complete || end == CollectEnd::NoRecords) {
            // A copy of the answer, or another controller's after it, is this
            // controller's fault: it must not reach the next one's answer.
            if (!comm.answerEnded(plan.lateWait()))
                end = CollectEnd::Overrun;
        } else if (end == CollectEnd::WrongEcho || end == CollectEnd::RecordEchoWrong) {
            // A wrong address byte may be a stray one: a line that does not
            // fall quiet after it is disturbed rather than answered wrongly.
            comm.unsettle(plan.lateWait());
            if (comm.quietAfterFailure() == QuietEnd::Disturbed)
                end = CollectEnd::Disturbed;
        } else if (end != CollectEnd::SendFailed && end != CollectEnd::Disturbed) {
            comm.unsettle(plan.lateWait());
        }
        r.end = end;
        r.countKnown = stream.countKnown();
        r.announced = stream.announced();
        r.records = stream.records();
        return r;
    };

    if (!comm.send(CommandFrame::build(static_cast<quint8>(address), CommandCode::CollectRecords)))
        return finish(comm.lineDisturbed() ? CollectEnd::Disturbed : CollectEnd::SendFailed);

    Deadline deadline;
    deadline.restart(plan.firstEcho);
    // With one deadline for all records, a controller that stops in the
    // middle would still hold the line until it passes: each record part
    // is also awaited no longer than collection by hand waits for it.
    std::optional<Deadline> allRecords;
    int announcedRecord = 0;
    while (!stream.finished()) {
        const RecordStream::Phase phase = stream.phase();
        if (phase == RecordStream::Phase::RecordEcho && stream.recordNumber() != announcedRecord) {
            announcedRecord = stream.recordNumber();
            if (recordStarted)
                recordStarted(announcedRecord, stream.announced());
        }
        const qsizetype want = stream.needed();
        const milliseconds wait = allRecords ? std::min(deadline.left(), allRecords->left()) : deadline.left();
        if (comm.bytesAvailable() < want && !comm.waitForBytes(want, wait)) {
            switch (phase) {
            case RecordStream::Phase::Echo: return finish(CollectEnd::NoEcho);
            case RecordStream::Phase::Count: return finish(CollectEnd::NoCount);
            case RecordStream::Phase::RecordEcho: return finish(CollectEnd::RecordEchoMissing);
            default: return finish(CollectEnd::RecordIncomplete);
            }
        }
        stream.feed(comm.read(want));
        // The next phase's wait.
        switch (stream.phase()) {
        case RecordStream::Phase::Count:
            if (plan.count)
                deadline.restart(*plan.count);
            break;
        case RecordStream::Phase::RecordEcho:
            if (phase == RecordStream::Phase::Count && plan.allRecords) {
                allRecords.emplace();
                allRecords->restart(plan.allRecords(stream.announced()));
            }
            deadline.restart(plan.recordEcho);
            break;
        case RecordStream::Phase::RecordBody: deadline.restart(plan.recordBody); break;
        default: break;
        }
    }
    switch (stream.phase()) {
    case RecordStream::Phase::WrongEcho: return finish(CollectEnd::WrongEcho);
    case RecordStream::Phase::WrongRecordEcho: return finish(CollectEnd::RecordEchoWrong);
    default: return finish(stream.announced() == 0 ? CollectEnd::NoRecords : CollectEnd::Complete);
    }
}
