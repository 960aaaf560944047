#include "records/LockMonitor.h"

#include "db/Clock.h"
#include "doors/DoorsTable.h"
#include "link/LinePort.h"
#include "records/PassHolders.h"
#include "records/PassLine.h"

LockMonitor::LockMonitor(LinePort& port, QSqlDatabase db, QObject* parent)
    : LockMonitor(port, db, Timing{}, parent)
{
}

LockMonitor::LockMonitor(LinePort& port, QSqlDatabase db, Timing timing, QObject* parent)
    : QObject(parent), port_(port), db_(db), timing_(timing), timer_([this] { tick(); }, this),
      passTimer_([this] { passTimedOut(); }, this)
{
    connect(&port_, &LinePort::bytesArrived, this, &LockMonitor::onBytes);
}

QString LockMonitor::entryText(int address, int lock, const QVariant& description)
{
    // A description of blanks is still a description: only Null leaves
    // the star out.
    if (description.isNull())
        return QStringLiteral("%1-%2").arg(address).arg(lock);
    return QStringLiteral("%1-%2*%3").arg(address).arg(lock).arg(description.toString());
}

void LockMonitor::load(const QList<DoorRow>& rows)
{
    order_.clear();
    entries_.clear();
    for (const DoorRow& row : rows) {
        order_ << row.address;
        for (int lock = 1; lock <= 2; ++lock) {
            const LockColumns& c = row.lock[lock - 1];
            if (!c.exists())
                continue;
            MonitorEntry e;
            e.address = row.address;
            e.lock = lock;
            e.text = entryText(row.address, lock, c.name);
            entries_ << e;
        }
    }
    next_ = 0;
}

void LockMonitor::start()
{
    if (!order_.isEmpty())
        timer_.startIn(timing_.tick);
}

void LockMonitor::stop()
{
    timer_.stop();
    passTimer_.stop();
    phase_ = Phase::Idle;
}

int LockMonitor::entryOf(int address, int lock) const
{
    for (int i = 0; i < entries_.size(); ++i)
        if (entries_.at(i).address == address && entries_.at(i).lock == lock)
            return i;
    return -1;
}

void LockMonitor::setState(int address, int lock, LockState state)
{
    const int i = entryOf(address, lock);
    if (i < 0 || entries_.at(i).state == state)
        return;
    entries_[i].state = state;
    emit entryChanged(i);
}

void LockMonitor::tick()
{
    timer_.startIn(timing_.tick);
    // The pass of an open lock is still awaited: no other controller is
    // asked meanwhile.
    if (phase_ == Phase::AwaitPass)
        return;
    // The controller polled last did not answer before the next turn: its
    // locks are no longer known, and its answer may yet come.
    if (phase_ == Phase::AwaitPoll) {
        finishPoll({});
        port_.unsettle(timing_.tick);
    }
    if (!port_.quiet() || order_.isEmpty())
        return;
    if (next_ >= order_.size())
        next_ = 0;
    polled_ = order_.at(next_);
    next_ = (next_ + 1) % order_.size();
    phase_ = port_.send(PollLocks::frame(static_cast<quint8>(polled_))) ? Phase::AwaitPoll : Phase::Idle;
}

void LockMonitor::onBytes()
{
    switch (phase_) {
    case Phase::Idle:
        // Nobody was asked: whose bytes these are nobody can tell.
        if (timer_.isActive())
            port_.unsettle(timing_.tick);
        break;
    case Phase::AwaitPoll:
        if (port_.bytesAvailable() >= 2) {
            const QByteArray reply = port_.read(2);
            // Two bytes and not one more; the wait for one more is a few
            // milliseconds, shorter than a tick.
            const bool whole = port_.answerEnded(timing_.tick, Waiting::Block);
            const bool own = whole && static_cast<quint8>(reply.at(0)) == polled_;
            if (whole && !own)
                port_.unsettle(timing_.tick);
            finishPoll(own ? reply : QByteArray());
        }
        break;
    case Phase::AwaitPass: {
        const PassTake take = takePassRecord(port_, static_cast<quint8>(polled_), timing_.passWait);
        if (!take.complete)
            break;
        passTimer_.stop();
        phase_ = Phase::Idle;
        if (take.pass)
            showPass(*take.pass);
        break;
    }
    }
}

void LockMonitor::finishPoll(const QByteArray& bytes)
{
    phase_ = Phase::Idle;
    const PollReply reply = PollReply::decode(bytes, static_cast<quint8>(polled_));
    setState(polled_, 1, reply.lock1);
    setState(polled_, 2, reply.lock2);
    if (!reply.anyOpen())
        return;
    if (port_.send(ReadPassRecord::frame(static_cast<quint8>(polled_)))) {
        phase_ = Phase::AwaitPass;
        passTimer_.startIn(timing_.passWait);
    }
}

void LockMonitor::passTimedOut()
{
    // Whatever part of a record came stays unacknowledged: the controller
    // offers it again on a later turn, and the rest may yet come.
    if (phase_ == Phase::AwaitPass) {
        phase_ = Phase::Idle;
        port_.unsettle(timing_.passWait);
    }
}

void LockMonitor::showPass(const PassRecord& pass)
{
    const int lock = PassChannel::lockOf(pass.channel);
    const int i = lock == 0 ? -1 : entryOf(pass.address, lock);
    if (i < 0)
        return;
    MonitorEntry& e = entries_[i];
    const std::optional<PassHolder> holder = PassHolders::find(db_, pass.physical);
    if (!holder) {
        if (!e.hasPass())
            return;
        e.card.clear();
        e.name.clear();
        e.department.clear();
        e.position.clear();
        e.direction.clear();
        e.passedAt = {};
    } else {
        // Every pass is shown, also the same card again: in and then out
        // through one lock must read "出门" with the later time.
        e.card = holder->card;
        e.name = holder->name.toString();
        e.department = holder->department.toString();
        e.position = holder->position.toString();
        e.direction = PassChannel::isIn(pass.channel) ? QStringLiteral("进门") : QStringLiteral("出门");
        e.passedAt = Clock::now();
    }
    emit entryChanged(i);
}
