#include "records/PassLine.h"

#include "link/LinePort.h"

PassTake takePassRecord(LinePort& port, quint8 asked)
{
    PassTake t;
    if (port.bytesAvailable() < PassRecord::kSize)
        return t;
    t.complete = true;
    const QByteArray bytes = port.read();
    t.pass = PassRecord::decode(bytes, asked);
    // send() empties the receive buffer before the write, so nothing of
    // this record can pass for the answer to the next command.
    if (t.pass)
        port.send(AckPassRecord::frame(t.pass->address));
    return t;
}
