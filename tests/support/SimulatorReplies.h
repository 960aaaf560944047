#pragma once
// Asking the simulator directly over the line, for the simulator's own
// tests.
#include "link/LineClock.h"
#include "link/LinePort.h"

#include <QByteArray>
#include <QTest>

#include <chrono>

namespace SimulatorReplies {

// Sends a frame and takes everything that came once `awaited` bytes are
// in (and a moment more, so that an over-long reply shows); "no reply"
// when the awaited bytes did not come.
inline QByteArray wholeReply(LinePort& port, const QByteArray& frame, int awaited)
{
    using namespace std::chrono_literals;
    ExchangeOptions o;
    o.awaitedBytes = awaited;
    o.timeout = 3s;
    o.read = ReadMode::Awaited;
    o.checkAddress = false;
    const ExchangeResult r = port.exchange(frame, o);
    if (!r.ok())
        return QByteArray("no reply");
    if (DrivenLineClock* clock = DrivenLineClock::current())
        clock->advance(50ms);
    else
        QTest::qWait(50);
    return r.reply + port.read();
}

}  // namespace SimulatorReplies
