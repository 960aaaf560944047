#include "records/PassScanner.h"

#include "link/LinePort.h"
#include "records/PassLine.h"

PassScanner::PassScanner(LinePort& port, QList<int> addresses, std::chrono::milliseconds tick, QObject* parent)
    : QObject(parent), port_(port), addresses_(std::move(addresses)), tick_(tick), timer_([this] { this->tick(); }, this)
{
    connect(&port_, &LinePort::bytesArrived, this, &PassScanner::onBytes);
}

void PassScanner::start()
{
    if (!addresses_.isEmpty())
        timer_.startIn(tick_);
}

void PassScanner::stop()
{
    timer_.stop();
    asked_ = -1;
}

void PassScanner::giveUp()
{
    // Its answer may yet come: nobody is asked until the line is quiet.
    asked_ = -1;
    port_.unsettle(kAnswerWait);
}

void PassScanner::tick()
{
    timer_.startIn(tick_);
    if (asked_ >= 0) {
        const LineClock::Time now = LineClock::now();
        const bool waiting = now - askedAt_ < kAnswerWait || (firstByteAt_ && now - *firstByteAt_ < kRestWait);
        if (waiting)
            return;
        giveUp();
    }
    if (!port_.quiet())
        return;
    if (next_ >= addresses_.size())
        next_ = 0;
    const int address = addresses_.at(next_);
    next_ = (next_ + 1) % addresses_.size();
    firstByteAt_.reset();
    asked_ = port_.send(ReadPassRecord::frame(static_cast<quint8>(address))) ? address : -1;
    askedAt_ = LineClock::now();
}

void PassScanner::onBytes()
{
    if (asked_ < 0) {
        // Nobody was asked: no answer can be spoilt by them, and the next
        // frame empties the buffer anyway. Waiting for quiet on them would
        // let a chattering line stop the whole scan.
        port_.read();
        return;
    }
    if (!firstByteAt_)
        firstByteAt_ = LineClock::now();
    const PassTake take = takePassRecord(port_, static_cast<quint8>(asked_), kAnswerWait);
    if (!take.complete)
        return;
    asked_ = -1;
    if (take.pass)
        emit passTaken(*take.pass);
}
