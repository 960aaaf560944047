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
    // An answer still short at the end of its wait is given up, and its
    // rest may yet come: nobody is asked until the line is quiet.
    if (asked_ >= 0 && port_.bytesAvailable() > 0)
        quiet_.dropped(port_);
    asked_ = -1;
    if (!quiet_.mayAsk(port_))
        return;
    if (next_ >= addresses_.size())
        next_ = 0;
    const int address = addresses_.at(next_);
    next_ = (next_ + 1) % addresses_.size();
    asked_ = port_.send(ReadPassRecord::frame(static_cast<quint8>(address))) ? address : -1;
}

void PassScanner::onBytes()
{
    if (asked_ < 0) {
        if (timer_.isActive())
            quiet_.dropped(port_);
        return;
    }
    const PassTake take = takePassRecord(port_, static_cast<quint8>(asked_));
    if (!take.complete)
        return;
    asked_ = -1;
    if (!take.clean)
        quiet_.dropped(port_);
    if (take.pass)
        emit passTaken(*take.pass);
}
