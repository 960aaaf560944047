#include "link/SerialTransport.h"

#include <QSerialPort>

namespace {

class QtSerialTransport : public SerialTransport {
public:
    QtSerialTransport()
    {
        connect(&port_, &QSerialPort::readyRead, this, &SerialTransport::readyRead);
    }

    bool open(const Config& config, QString* error) override
    {
        if (port_.isOpen())
            port_.close();
        port_.setPortName(config.device);
        port_.setBaudRate(config.format.baud);
        port_.setDataBits(static_cast<QSerialPort::DataBits>(config.format.dataBits));
        switch (config.format.parity) {
        case SerialFormat::Parity::None: port_.setParity(QSerialPort::NoParity); break;
        case SerialFormat::Parity::Even: port_.setParity(QSerialPort::EvenParity); break;
        case SerialFormat::Parity::Odd: port_.setParity(QSerialPort::OddParity); break;
        case SerialFormat::Parity::Mark: port_.setParity(QSerialPort::MarkParity); break;
        case SerialFormat::Parity::Space: port_.setParity(QSerialPort::SpaceParity); break;
        }
        switch (config.format.stopBits) {
        case SerialFormat::StopBits::One: port_.setStopBits(QSerialPort::OneStop); break;
        case SerialFormat::StopBits::OneAndHalf: port_.setStopBits(QSerialPort::OneAndHalfStop); break;
        case SerialFormat::StopBits::Two: port_.setStopBits(QSerialPort::TwoStop); break;
        }
        port_.setFlowControl(QSerialPort::NoFlowControl);
        port_.setReadBufferSize(config.inBufSize);
        outBufSize_ = config.outBufSize;
        if (!port_.open(QIODevice::ReadWrite)) {
            if (error)
                *error = port_.errorString();
            return false;
        }
        // Some settings are only refused once the device is open.
        if (port_.error() != QSerialPort::NoError) {
            if (error)
                *error = port_.errorString();
            port_.close();
            return false;
        }
        return true;
    }

    void close() override
    {
        if (port_.isOpen())
            port_.close();
    }

    bool isOpen() const override { return port_.isOpen(); }

    void clearReceive() override
    {
        if (port_.isOpen())
            port_.clear(QSerialPort::Input);
    }

    void clearTransmit() override
    {
        // Every write is handed to the driver before write() returns, so
        // nothing of ours is left to drop.
    }

    bool write(QByteArrayView bytes) override
    {
        if (!port_.isOpen() || bytes.size() > outBufSize_)
            return false;
        if (port_.write(bytes.data(), bytes.size()) != bytes.size())
            return false;
        port_.flush();
        while (port_.bytesToWrite() > 0) {
            if (!port_.waitForBytesWritten(1000))
                return false;
        }
        return true;
    }

    qint64 bytesAvailable() override { return port_.isOpen() ? port_.bytesAvailable() : 0; }

    QByteArray read(qint64 maxBytes) override
    {
        if (!port_.isOpen())
            return {};
        return maxBytes <= 0 ? port_.readAll() : port_.read(maxBytes);
    }

    bool waitForReadyRead(int msecs) override { return port_.isOpen() && port_.waitForReadyRead(msecs); }

private:
    QSerialPort port_;
    int outBufSize_ = 512;
};

std::function<std::unique_ptr<SerialTransport>()>& factory()
{
    static std::function<std::unique_ptr<SerialTransport>()> f;
    return f;
}

}  // namespace

std::unique_ptr<SerialTransport> makeSerialPortTransport()
{
    return factory() ? factory()() : std::make_unique<QtSerialTransport>();
}

void setSerialTransportFactory(std::function<std::unique_ptr<SerialTransport>()> f)
{
    factory() = std::move(f);
}
