#include "link/LinePort.h"

#include "link/LineClock.h"
#include "link/LineWaits.h"
#include "link/PortName.h"

#include <QFileInfo>
#include <QHash>

#include <cmath>
#include <limits>
#include <utility>

using namespace std::chrono;

namespace {

// Every wait of the line reads the line's one clock, a monotonic one: a
// wait that spans midnight or a change of the wall clock still ends after
// its duration.
microseconds lineNow()
{
    return LineClock::now();
}

// A moment on the line's clock, and the time since.
class Mark {
public:
    Mark() : at_(lineNow()) {}
    void restart() { at_ = lineNow(); }
    microseconds elapsed() const { return lineNow() - at_; }

private:
    microseconds at_;
};

// Past this many times the failed exchange's own wait, bytes that keep
// coming are no late answer but a disturbed line, and the quiet is given up.
constexpr int kDisturbedAfter = 3;
// An answer's bytes follow each other back to back, and so do a second
// answer's after it: a few character times tell one answer from two. The
// watch for them runs on while the next frame goes out (no device can
// answer a frame before the frame's own line time, at least three
// characters), so that a run of commands does not wait it out after every
// echo.
constexpr double kSettleCharacters = 2.5;
// A stream's end is watched longer: it is read a part at a time by a busy
// program, and this costs only once per stream.
constexpr milliseconds kStreamSettle{20};

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
    milliseconds wait{0};
    Mark failed;  // since the exchange went wrong
    Mark since;   // since the exchange went wrong, or since the last byte after that

    // An answer is taken the moment its last byte came; until watchUntil
    // a byte more means it was not its device's alone.
    std::optional<microseconds> watchUntil;
    milliseconds watchWait{0};  // that answer's own wait

    milliseconds needed() const
    {
        const std::optional<milliseconds> bound = LineWaits::bound();
        return bound ? std::min(wait, *bound) : wait;
    }

    // Settles the watch the last answer left as far as it can be now:
    // bytes that came since mean that answer was not its device's alone,
    // and the line waits for quiet before the next frame. True while the
    // watch still runs.
    static bool watchOpen(LinePort& port)
    {
        LineQuiet* q = port.line();
        if (!q || !q->watchUntil)
            return false;
        if (port.transport_->bytesAvailable() > 0) {
            q->watchUntil.reset();
            port.unsettle(q->watchWait);
            return false;
        }
        if (lineNow() < *q->watchUntil)
            return true;
        q->watchUntil.reset();
        return false;
    }
    // Waits out a watch that still runs: a few character times at most.
    static void closeWatch(LinePort& port)
    {
        while (watchOpen(port))
            port.waitLoop(1, *port.line()->watchUntil - lineNow(), Waiting::Yield);
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
    settle_ = microseconds(static_cast<qint64>(
        std::ceil(kSettleCharacters * format->bitsPerByte() * 1e6 / double(std::max(1, format->baud)))));
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

void LinePort::unsettle(milliseconds wait)
{
    LineQuiet* q = line();
    if (!q)
        return;
    q->wait = q->settled ? wait : std::max(q->wait, wait);
    if (q->settled) {
        q->heard = false;
        q->failed.restart();
    }
    q->settled = false;
    q->since.restart();
    transport_->clearReceive();
}

// `waited`: how long the caller has waited for the quiet so far; a wait
// begun long after the failure gets its own few times the wait.
LinePort::QuietState LinePort::quietState(microseconds waited)
{
    LineQuiet* q = line();
    if (!q || !isOpen())
        return QuietState::Closed;
    if (q->settled)
        return QuietState::Quiet;
    if (transport_->bytesAvailable() > 0) {
        transport_->clearReceive();
        q->heard = true;
        q->since.restart();
    }
    if (q->since.elapsed() >= q->needed()) {
        q->settled = true;
        return QuietState::Quiet;
    }
    if (std::min(waited, q->failed.elapsed()) >= kDisturbedAfter * q->needed()) {
        q->settled = true;
        return QuietState::Disturbed;
    }
    return QuietState::Waiting;
}

bool LinePort::quiet()
{
    const LineQuiet* q = line();
    if (!q || LineQuiet::watchOpen(*this))
        return false;
    const QuietState state = quietState(q->failed.elapsed());
    disturbed_ = state == QuietState::Disturbed;
    return state == QuietState::Quiet || state == QuietState::Disturbed;
}

LinePort::QuietState LinePort::waitQuiet()
{
    const Mark start;
    for (;;) {
        const QuietState state = quietState(start.elapsed());
        if (state != QuietState::Waiting)
            return state;
        const LineQuiet* q = line();
        const microseconds left =
            std::min<microseconds>(q->needed() - q->since.elapsed(),
                                   kDisturbedAfter * q->needed() - std::min(start.elapsed(), q->failed.elapsed()));
        LineClock::line().yieldFor(std::max<microseconds>(left, 1ms));
    }
}

QuietEnd LinePort::quietAfterFailure()
{
    if (!isOpen() || busy())
        return QuietEnd::Silent;
    BusyScope scope(this);
    LineQuiet::closeWatch(*this);
    if (waitQuiet() == QuietState::Disturbed)
        return QuietEnd::Disturbed;
    const LineQuiet* q = line();
    return q && q->heard ? QuietEnd::Heard : QuietEnd::Silent;
}

ExchangeStatus LinePort::afterWrongBytes(milliseconds wait)
{
    unsettle(wait);
    return waitQuiet() == QuietState::Disturbed ? ExchangeStatus::Disturbed : ExchangeStatus::WrongAddress;
}

bool LinePort::answerEnded(milliseconds wait, Waiting waiting)
{
    if (!isOpen())
        return false;
    bool more = transport_->bytesAvailable() > 0;
    if (!more) {
        BusyScope scope(this);
        more = waitLoop(1, std::max<microseconds>(settle_, kStreamSettle), waiting);
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
    LineQuiet::watchOpen(*this);
    transport_->clearReceive();
    transport_->clearTransmit();
}

bool LinePort::send(QByteArrayView frame, bool emptyBuffers)
{
    if (!isOpen() || busy())
        return false;
    {
        BusyScope scope(this);
        LineQuiet::closeWatch(*this);
        const QuietState state = waitQuiet();
        disturbed_ = state == QuietState::Disturbed;
        if (state != QuietState::Quiet)
            return false;
    }
    transport_->clearReceive();
    if (emptyBuffers)
        transport_->clearTransmit();
    return transport_->write(frame);
}

bool LinePort::waitForBytes(qsizetype count, milliseconds timeout, Waiting waiting)
{
    if (!isOpen() || busy())
        return false;
    BusyScope scope(this);
    if (waitLoop(count, duration_cast<microseconds>(timeout), waiting))
        return true;
    unsettle(timeout);
    return false;
}

bool LinePort::waitLoop(qsizetype count, microseconds timeout, Waiting waiting)
{
    const Mark clock;
    const std::optional<milliseconds> bound = LineWaits::bound();
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
        microseconds left = timeout - clock.elapsed();
        if (bound)
            left = std::min<microseconds>(left, *bound - quiet.elapsed());
        if (left <= microseconds(0))
            return false;
        if (waiting == Waiting::Yield)
            LineClock::line().yieldFor(left);
        else
            LineClock::line().blockFor(left, [this](int ms) { transport_->waitForReadyRead(ms); });
    }
}

std::optional<qsizetype> LinePort::pauseWatching(qsizetype awaited, milliseconds length)
{
    const Mark pause;
    std::optional<microseconds> answered;  // when the awaited bytes were in
    qsizetype withAnswer = 0;
    for (;;) {
        const qsizetype have = transport_->bytesAvailable();
        if (!answered && have >= awaited)
            answered = pause.elapsed();
        const bool settling = answered && pause.elapsed() - *answered <= settle_;
        if (settling)
            withAnswer = have;
        const microseconds left = length - pause.elapsed();
        if (left <= microseconds(0) || !transport_->isOpen())
            break;
        LineClock::line().blockFor(settling ? settle_ : left,
                                   [this](int ms) { transport_->waitForReadyRead(std::max(1, ms)); });
    }
    if (!answered || pause.elapsed() - *answered <= settle_)
        return std::nullopt;
    return withAnswer;
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
    // The last answer's watch, when it still runs, goes on while this frame
    // goes out.
    const std::optional<microseconds> overlap =
        LineQuiet::watchOpen(*this) ? std::exchange(line()->watchUntil, std::nullopt) : std::nullopt;
    switch (waitQuiet()) {
    case QuietState::Quiet: break;
    case QuietState::Disturbed: r.status = ExchangeStatus::Disturbed; return r;
    default: r.status = ExchangeStatus::PortNotOpen; return r;
    }
    transport_->clearReceive();
    if (options.emptyBuffers)
        transport_->clearTransmit();
    if (!transport_->write(frame)) {
        r.status = ExchangeStatus::WriteFailed;
        return r;
    }
    // A late answer can come as late as the whole wait after the write.
    const milliseconds ownWait = options.timeout + (options.pauseOneSecond ? milliseconds(1000) : milliseconds(0));
    // What comes before the watch ends is still the last answer's: it was
    // not its device's alone, and the line quiets down after this exchange.
    // The bytes of that second answer follow each other back to back, and
    // are dropped as long as they do (within this exchange's wait).
    bool lastNotAlone = false;
    const Mark written;
    for (std::optional<microseconds> until = overlap;
         until && lineNow() < *until && waitLoop(1, *until - lineNow(), Waiting::Yield);) {
        transport_->clearReceive();
        lastNotAlone = true;
        if (written.elapsed() < options.timeout)
            until = lineNow() + settle_;
    }
    const qsizetype awaited = std::max(1, options.awaitedBytes);
    // A length given is the whole answer: a byte more and the bytes are
    // not this device's alone.
    const bool exact = options.read == ReadMode::OneByte || options.read == ReadMode::Exact;
    // A device may answer within the pause: what came once its answer's
    // settle was over is no part of the answer, as it would not be had the
    // exchange been waiting (it would have ended at the settle).
    std::optional<qsizetype> withAnswer =
        options.pauseOneSecond ? pauseWatching(awaited, LineWaits::pause(seconds(1))) : std::nullopt;
    if (!withAnswer) {
        if (!waitLoop(awaited, duration_cast<microseconds>(options.timeout), Waiting::Yield)) {
            r.status = isOpen() ? ExchangeStatus::TimedOut : ExchangeStatus::PortNotOpen;
            unsettle(ownWait);
            return r;
        }
        if (exact)
            withAnswer = std::max(awaited, transport_->bytesAvailable());
        else
            withAnswer = options.read == ReadMode::All ? transport_->bytesAvailable() : awaited;
    }
    if (exact && *withAnswer > awaited) {
        r.reply = transport_->read(0);
        r.status = afterWrongBytes(ownWait);
        return r;
    }
    // What came after the answer stays for the next exchange to empty.
    r.reply = transport_->read(options.read == ReadMode::Awaited ? awaited : *withAnswer);
    const quint8 address = frame.isEmpty() ? 0 : static_cast<quint8>(frame.front());
    if (options.checkAddress && (r.reply.isEmpty() || static_cast<quint8>(r.reply.front()) != address)) {
        r.status = afterWrongBytes(ownWait);
        return r;
    }
    r.status = ExchangeStatus::Ok;
    if (lastNotAlone) {
        unsettle(ownWait);
    } else if (exact) {
        line()->watchUntil = lineNow() + settle_;
        line()->watchWait = ownWait;
    }
    return r;
}
