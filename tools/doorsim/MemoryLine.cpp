#include "doorsim/MemoryLine.h"

#include "link/SerialTransport.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

class MemoryPort : public SerialTransport {
public:
    explicit MemoryPort(MemoryLine* line) : line_(line) {}
    ~MemoryPort() override { close(); }

    bool open(const SerialTransport::Config& config, QString* error) override
    {
        close();
        if (!line_ || config.device != line_->device_ || line_->open_) {
            if (error)
                *error = line_ && line_->open_ ? QStringLiteral("Device or resource busy")
                                               : QStringLiteral("No such file or directory");
            return false;
        }
        line_->open_ = this;
        outBufSize_ = config.outBufSize;
        return true;
    }

    void close() override
    {
        if (isOpen())
            line_->open_ = nullptr;
    }

    bool isOpen() const override { return line_ && line_->open_ == this; }

    void clearReceive() override
    {
        if (isOpen())
            line_->received_.clear();
    }

    void clearTransmit() override {}

    bool write(QByteArrayView bytes) override
    {
        if (!isOpen() || bytes.size() > outBufSize_)
            return false;
        line_->sim_.receive(bytes.toByteArray());
        return true;
    }

    qint64 bytesAvailable() override { return isOpen() ? line_->received_.size() : 0; }

    QByteArray read(qint64 maxBytes) override
    {
        if (!isOpen())
            return {};
        const qsizetype n = maxBytes <= 0 ? line_->received_.size() : std::min<qsizetype>(maxBytes, line_->received_.size());
        const QByteArray out = line_->received_.left(n);
        line_->received_.remove(0, n);
        return out;
    }

    // The wait passes on the line's clock, up to the next arrival.
    bool waitForReadyRead(int msecs) override
    {
        LineClock& clock = LineClock::line();
        const LineClock::Time end = clock.time() + std::chrono::milliseconds(msecs);
        const qint64 before = bytesAvailable();
        while (isOpen() && bytesAvailable() == before && clock.time() < end)
            clock.blockFor(end - clock.time());
        return bytesAvailable() > before;
    }

private:
    QPointer<MemoryLine> line_;
    int outBufSize_ = 512;
};

MemoryLine::MemoryLine(Simulator& sim, const QString& folder, int portNo)
    : sim_(sim), link_(QStringLiteral("%1/com%2").arg(folder).arg(portNo)), arrival_([this] { arrive(); }, this)
{
    arrival_.setDeviceSide();
    // The link names a device no terminal has, so that a port which is not
    // this line's cannot reach it.
    QFile::remove(link_);
    if (!QFile::link(QStringLiteral("%1/memory-line-com%2").arg(folder).arg(portNo), link_))
        qFatal("cannot make the link %s", qPrintable(link_));
    device_ = QFileInfo(link_).symLinkTarget();
    sim_.setOutput([this](const QByteArray& bytes) {
        onTheWay_ += bytes;
        if (!arrival_.isActive())
            arrival_.startIn(LineClock::Time(0));
    });
    setSerialTransportFactory([line = QPointer(this)] { return std::make_unique<MemoryPort>(line); });
}

MemoryLine::~MemoryLine()
{
    setSerialTransportFactory({});
    sim_.setOutput({});
    QFile::remove(link_);
}

void MemoryLine::arrive()
{
    received_ += onTheWay_;
    onTheWay_.clear();
    if (open_)
        emit open_->readyRead();
}
