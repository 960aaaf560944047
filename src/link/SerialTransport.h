#pragma once
#include "link/SerialFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// What the line needs of a serial port. The program uses QSerialPort
// behind it; a test may put an in-memory peer in its place.
class SerialTransport : public QObject {
    Q_OBJECT
public:
    struct Config {
        QString device;
        SerialFormat format;
        int inBufSize = 2048;   // bytes held for reading before the driver keeps the rest
        int outBufSize = 512;   // the largest single write
    };

    using QObject::QObject;
    ~SerialTransport() override = default;

    // Opens the device for exclusive use; on failure `error` says why.
    virtual bool open(const Config& config, QString* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Drops every byte received and not yet read.
    virtual void clearReceive() = 0;
    // Drops what was handed to the port and not yet to the driver. Bytes
    // already on their way are left alone: cutting a frame on the wire
    // would leave a controller waiting for the rest of it.
    virtual void clearTransmit() = 0;

    // Hands the whole of `bytes` to the driver; false when it could not.
    virtual bool write(QByteArrayView bytes) = 0;
    virtual qint64 bytesAvailable() = 0;
    // Up to `maxBytes` bytes (everything waiting when `maxBytes` <= 0).
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Blocks, without running the event loop, until more bytes came or
    // `msecs` passed. True when bytes came.
    virtual bool waitForReadyRead(int msecs) = 0;

signals:
    void readyRead();
};

// The real port, unless a test gave a factory of its own (none: the real
// port again) for the ports made from then on.
std::unique_ptr<SerialTransport> makeSerialPortTransport();
void setSerialTransportFactory(std::function<std::unique_ptr<SerialTransport>()> factory);
