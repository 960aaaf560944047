#include "records/PassScanner.h"

#include "link/LinePort.h"
#include "records/PassLine.h"

PassScanner::PassScanner(LinePort& port, QList<int> addresses, std::chrono::milliseconds tick, QObject* parent)
    : QObject(parent), port_(port), addresses_(std::move(addresses))
{
    timer_.setInterval(tick);
    connect(&timer_, &QTimer::timeout, this, &PassScanner::tick);
    connect(&port_, &LinePort::bytesArrived, this, &PassScanner::onBytes);
}

void PassScanner::start()
{
    if (!addresses_.isEmpty())
        timer_.start();
}

void PassScanner::stop()
{
    timer_.stop();
    asked_ = -1;
}

void PassScanner::tick()
{
    if (next_ >= addresses_.size())
        next_ = 0;
    const int address = addresses_.at(next_);
    next_ = (next_ + 1) % addresses_.size();
    // The send empties the receive buffer: what is left of a short record
    // goes with it, unacknowledged.
    asked_ = port_.send(ReadPassRecord::frame(static_cast<quint8>(address))) ? address : -1;
}

void PassScanner::onBytes()
{
    if (asked_ < 0)
        return;
    const PassTake take = takePassRecord(port_, static_cast<quint8>(asked_));
    if (!take.complete)
        return;
    asked_ = -1;
    if (take.pass)
        emit passTaken(*take.pass);
}
