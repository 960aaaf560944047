#include "records/PassLine.h"

#include "link/LinePort.h"

PassTake takePassRecord(LinePort& port, quint8 asked)
{
    PassTake t;
    if (port.bytesAvailable() < PassRecord::kSize)
        return t;
    t.complete = true;
    const QByteArray bytes = port.read();
    t.clean = bytes.size() == PassRecord::kSize && static_cast<quint8>(bytes.at(0)) == asked;
    if (!t.clean)
        return t;
    t.pass = PassRecord::decode(bytes, asked);
    // send() empties the receive buffer before the write, so nothing of
    // this record can pass for the answer to the next command.
    if (t.pass)
        port.send(AckPassRecord::frame(t.pass->address));
    return t;
}

void QuietLine::dropped(LinePort& port)
{
    port.read();
    noisy_ = true;
}

bool QuietLine::mayAsk(LinePort& port)
{
    if (!noisy_)
        return true;
    port.read();
    noisy_ = false;
    return false;
}
