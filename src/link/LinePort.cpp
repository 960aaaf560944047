#include "link/LinePort.h"

#include "link/LineClock.h"
#include "link/LineWaits.h"
#include "link/PortName.h"

#include <QFileInfo>
#include <QHash>

#include <limits>

namespace {

// A moment on the line's clock, and the time since, in milliseconds.
class Mark {
public:
    Mark() : at_(LineClock::now()) {}
    void restart() { at_ = LineClock::now(); }
    qint64 elapsed() const { return std::chrono::duration_cast<std::chrono::milliseconds>(LineClock::now() - at_).count(); }

private:
    LineClock::Time at_;
};

// Which port object owns which device. The program has one user-interface
// thread; every port lives on it.
QHash<QString, const LinePort*>& owners()
{
    static QHash<QString, const LinePort*> map;
    return map;
}

QString ownerKey(const QString& device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

}  // namespace

// Whether the line's last exchange ended clean, and if not, since when it
// has been quiet. Kept per device, so that it outlives the port object
// that opened the device.
struct LinePort::LineQuiet {
    static QHash<QString, LineQuiet>& of()
    {
        static QHash<QString, LineQuiet> map;
        return map;
    }

    bool settled = true;
    bool heard = false;  // bytes came since the exchange went wrong
    std::chrono::milliseconds wait{0};
    Mark since;  // since the exchange went wrong, or since the last byte after that

    std::chrono::milliseconds needed() const
    {
        const std::optional<std::chrono::milliseconds> bound = LineWaits::bound();
        return bound ? std::min(wait, *bound) : wait;
    }
};

class LinePort::BusyScope {
public:
    explicit BusyScope(LinePort* port) : port_(port)
    {
        if (port_->busy_++ == 0)
            emit port_->busyChanged(true);
    }
    ~BusyScope()
    {
        if (--port_->busy_ == 0)
            emit port_->busyChanged(false);
    }

private:
    LinePort* port_;
};

LinePort::LinePort(QObject* parent) : LinePort(makeSerialPortTransport(), parent) {}

LinePort::LinePort(std::unique_ptr<SerialTransport> transport, QObject* parent)
    : QObject(parent), transport_(std::move(transport))
{
    connect(transport_.get(), &SerialTransport::readyRead, this, &LinePort::onReadyRead);
}

LinePort::~LinePort()
{
    close();
}

bool LinePort::isHeld(const QString& device)
{
    return owners().contains(ownerKey(device));
}

OpenResult LinePort::open(const LineParams& params)
{
    OpenResult r;
    if (isOpen()) {
        r.status = OpenStatus::AlreadyOpen;
        r.device = device_;
        return r;
    }
    if (!PortName::isValidNumber(params.portNo)) {
        r.status = OpenStatus::BadPortNumber;
        return r;
    }
    const std::optional<SerialFormat> format = SerialFormat::parse(params.settings);
    if (!format) {
        r.status = OpenStatus::BadSettings;
        return r;
    }
    if (params.inBufSize <= 0 || params.outBufSize <= 0) {
        r.status = OpenStatus::BadBufferSize;
        return r;
    }
    r.device = PortName::device(params.portNo, params.programFolder);
    const QString key = ownerKey(r.device);
    if (owners().contains(key)) {
        r.status = OpenStatus::HeldByAnotherWindow;
        return r;
    }
    SerialTransport::Config config;
    config.device = r.device;
    config.format = *format;
    config.inBufSize = params.inBufSize;
    config.outBufSize = params.outBufSize;
    if (!transport_->open(config, &r.detail)) {
        r.status = OpenStatus::CannotOpen;
        return r;
    }
    owners().insert(key, this);
    device_ = r.device;
    key_ = key;
    r.status = OpenStatus::Opened;
    return r;
}

void LinePort::close()
{
    if (!device_.isEmpty()) {
        const QString key = ownerKey(device_);
        if (owners().value(key) == this)
            owners().remove(key);
        // The key is also dropped when the device went away meanwhile and
        // no longer resolves to the same path.
        for (auto it = owners().begin(); it != owners().end();) {
            if (it.value() == this)
                it = owners().erase(it);
            else
                ++it;
        }
    }
    device_.clear();
    key_.clear();
    transport_->close();
}

LinePort::LineQuiet* LinePort::line() const
{
    return key_.isEmpty() ? nullptr : &LineQuiet::of()[key_];
}

void LinePort::onReadyRead()
{
    LineQuiet* q = line();
    if (q && !q->settled) {
        // The rest of an answer given up: nobody's answer now.
        transport_->clearReceive();
        q->heard = true;
        q->since.restart();
        return;
    }
    emit bytesArrived();
}

std::chrono::milliseconds LinePort::settleTime()
{
    // Past the few byte times at which a device's bytes follow each other,
    // and the latency of a USB adapter that passes bytes on in batches.
    return std::chrono::milliseconds(20);
}

void LinePort::unsettle(std::chrono::milliseconds wait)
{
    LineQuiet* q = line();
    if (!q)
        return;
    q->wait = q->settled ? wait : std::max(q->wait, wait);
    if (q->settled)
        q->heard = false;
    q->settled = false;
    q->since.restart();
    transport_->clearReceive();
}

bool LinePort::quiet()
{
    LineQuiet* q = line();
    if (!q || q->settled)
        return q != nullptr;
    if (transport_->bytesAvailable() > 0) {
        transport_->clearReceive();
        q->heard = true;
        q->since.restart();
    }
    if (q->since.elapsed() < q->needed().count())
        return false;
    q->settled = true;
    return true;
}

bool LinePort::waitQuiet()
{
    while (isOpen() && !quiet()) {
        const LineQuiet* q = line();
        LineClock::line().yieldFor(std::chrono::milliseconds(std::max<qint64>(1, q->needed().count() - q->since.elapsed())));
    }
    return isOpen();
}

bool LinePort::quietAfterFailure()
{
    if (!isOpen() || busy())
        return false;
    BusyScope scope(this);
    waitQuiet();
    const LineQuiet* q = line();
    return q && q->heard;
}

bool LinePort::answerEnded(std::chrono::milliseconds wait, Waiting waiting)
{
    if (!isOpen())
        return false;
    bool more = transport_->bytesAvailable() > 0;
    if (!more) {
        BusyScope scope(this);
        more = waitLoop(1, settleTime(), waiting);
    }
    if (!more)
        return true;
    unsettle(wait);
    return false;
}

bool LinePort::isOpen() const
{
    return transport_->isOpen();
}

qsizetype LinePort::bytesAvailable() const
{
    return transport_->bytesAvailable();
}

QByteArray LinePort::read(qsizetype maxBytes)
{
    return transport_->read(maxBytes);
}

void LinePort::clear()
{
    transport_->clearReceive();
    transport_->clearTransmit();
}

bool LinePort::send(QByteArrayView frame, bool emptyBuffers)
{
    if (!isOpen() || busy())
        return false;
    {
        BusyScope scope(this);
        if (!waitQuiet())
            return false;
    }
    transport_->clearReceive();
    if (emptyBuffers)
        transport_->clearTransmit();
    return transport_->write(frame);
}

bool LinePort::waitForBytes(qsizetype count, std::chrono::milliseconds timeout, Waiting waiting)
{
    if (!isOpen() || busy())
        return false;
    BusyScope scope(this);
    if (waitLoop(count, timeout, waiting))
        return true;
    unsettle(timeout);
    return false;
}

bool LinePort::waitLoop(qsizetype count, std::chrono::milliseconds timeout, Waiting waiting)
{
    const Mark clock;
    const std::optional<std::chrono::milliseconds> bound = LineWaits::bound();
    // Since the last byte came in (or the wait began).
    Mark quiet;
    qsizetype seen = transport_->bytesAvailable();
    for (;;) {
        if (!transport_->isOpen())
            return false;
        const qsizetype have = transport_->bytesAvailable();
        if (have >= count)
            return true;
        if (have != seen) {
            seen = have;
            quiet.restart();
        }
        qint64 left = timeout.count() - clock.elapsed();
        if (bound)
            left = std::min<qint64>(left, bound->count() - quiet.elapsed());
        if (left <= 0)
            return false;
        const int slice = static_cast<int>(std::min<qint64>(left, std::numeric_limits<int>::max()));
        if (waiting == Waiting::Yield) {
            LineClock::line().yieldFor(std::chrono::milliseconds(slice));
        } else {
            transport_->waitForReadyRead(slice);
        }
    }
}

ExchangeResult LinePort::exchange(QByteArrayView frame, const ExchangeOptions& options)
{
    ExchangeResult r;
    if (!isOpen()) {
        r.status = ExchangeStatus::PortNotOpen;
        return r;
    }
    if (busy()) {
        r.status = ExchangeStatus::Busy;
        return r;
    }
    BusyScope scope(this);
    if (!waitQuiet()) {
        r.status = ExchangeStatus::PortNotOpen;
        return r;
    }
    transport_->clearReceive();
    if (options.emptyBuffers)
        transport_->clearTransmit();
    if (!transport_->write(frame)) {
        r.status = ExchangeStatus::WriteFailed;
        return r;
    }
    // A late answer can come as late as the whole wait after the write.
    const std::chrono::milliseconds ownWait =
        options.timeout + (options.pauseOneSecond ? std::chrono::milliseconds(1000) : std::chrono::milliseconds(0));
    if (options.pauseOneSecond)
        LineClock::pause(LineWaits::pause(std::chrono::seconds(1)));
    const qsizetype awaited = std::max(1, options.awaitedBytes);
    if (!waitLoop(awaited, options.timeout, Waiting::Yield)) {
        r.status = isOpen() ? ExchangeStatus::TimedOut : ExchangeStatus::PortNotOpen;
        unsettle(ownWait);
        return r;
    }
    // A length given is the whole answer: a byte more and the bytes are
    // not this device's alone.
    const bool exact = options.read == ReadMode::OneByte || options.read == ReadMode::Exact;
    if (exact && (transport_->bytesAvailable() > awaited || waitLoop(awaited + 1, settleTime(), Waiting::Yield))) {
        r.reply = transport_->read(0);
        r.status = ExchangeStatus::WrongAddress;
        unsettle(ownWait);
        return r;
    }
    r.reply = transport_->read(options.read == ReadMode::All ? 0 : awaited);
    const quint8 address = frame.isEmpty() ? 0 : static_cast<quint8>(frame.front());
    if (options.checkAddress && (r.reply.isEmpty() || static_cast<quint8>(r.reply.front()) != address)) {
        r.status = ExchangeStatus::WrongAddress;
        unsettle(ownWait);
        return r;
    }
    r.status = ExchangeStatus::Ok;
    return r;
}
