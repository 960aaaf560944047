#pragma once
// A serial device in memory behind a LinePort: what the port writes is
// kept, what the test puts in `incoming` is there to read. A failing
// device takes the first `cut` bytes of each write and refuses the rest,
// as one that breaks off in the middle of a frame.

#include "link/SerialTransport.h"

#include <algorithm>

class MemoryTransport : public SerialTransport {
public:
    QByteArray written;
    QByteArray incoming;
    qsizetype cut = -1;  // -1: every write is taken whole

    bool open(const Config&, QString*) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void clearReceive() override { incoming.clear(); }
    void clearTransmit() override {}
    bool write(QByteArrayView bytes) override
    {
        const qsizetype taken = cut < 0 ? bytes.size() : std::min(cut, bytes.size());
        written += bytes.first(taken);
        return taken == bytes.size();
    }
    qint64 bytesAvailable() override { return incoming.size(); }
    QByteArray read(qint64 maxBytes) override
    {
        const QByteArray out = maxBytes <= 0 ? incoming : incoming.first(std::min<qint64>(maxBytes, incoming.size()));
        incoming.remove(0, out.size());
        return out;
    }
    bool waitForReadyRead(int) override { return !incoming.isEmpty(); }

private:
    bool open_ = false;
};
