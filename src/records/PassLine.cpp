#include "records/PassLine.h"

#include "link/LinePort.h"

PassTake takePassRecord(LinePort& port, quint8 asked, std::chrono::milliseconds wait)
{
    PassTake t;
    if (port.bytesAvailable() < PassRecord::kSize)
        return t;
    t.complete = true;
    const QByteArray bytes = port.read(PassRecord::kSize);
    // The wait for one more byte is a few milliseconds, shorter than a
    // scan tick: it blocks rather than let a tick come in between.
    const bool whole = port.answerEnded(wait, Waiting::Block);
    t.clean = whole && static_cast<quint8>(bytes.at(0)) == asked;
    if (!t.clean) {
        if (whole)
            port.unsettle(wait);
        return t;
    }
    t.pass = PassRecord::decode(bytes, asked);
    if (t.pass)
        port.send(AckPassRecord::frame(t.pass->address));
    return t;
}
