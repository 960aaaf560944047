#pragma once
#include "link/SerialTransport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

// The parameters a window opens its port with: the session's PortNo,
// CommSettings, InBufSize and OutBufSize, and the program folder in which
// a "com<N>" link may name the device.
struct LineParams {
    int portNo = 1;
    QString settings = QStringLiteral("9600,n,8,1");
    int inBufSize = 2048;
    int outBufSize = 512;
    QString programFolder;
};

enum class OpenStatus {
    Opened,
    AlreadyOpen,          // nothing was changed: the port keeps the parameters it was opened with
    BadPortNumber,
    BadSettings,          // the settings text does not parse
    BadBufferSize,
    HeldByAnotherWindow,  // another port object of this program owns the device
    CannotOpen,           // the operating system refused (missing, held by another program, ...)
};

struct OpenResult {
    OpenStatus status = OpenStatus::CannotOpen;
    QString device;
    QString detail;
    bool ok() const { return status == OpenStatus::Opened || status == OpenStatus::AlreadyOpen; }
};

// How much of the reply one exchange takes from the receive buffer.
enum class ReadMode {
    OneByte,  // the echo: one byte, and nothing after it
    Awaited,  // the head of a longer answer: the awaited count; the rest stays for later reads
    Exact,    // the whole answer: the awaited count, and nothing after it
    All,      // everything there, of whatever length: the caller judges it
};

struct ExchangeOptions {
    int awaitedBytes = 1;
    std::chrono::milliseconds timeout{2000};
    // Also drop what waits to be sent. The receive buffer is emptied before
    // every write whatever this says: a byte left over from an earlier
    // exchange must never pass for this one's acknowledgement (and after
    // an exchange that went wrong the write waits for a quiet line).
    bool emptyBuffers = true;
    // A fixed pause of one second after the write, during which nothing
    // else of the program runs (some devices answer only after it).
    bool pauseOneSecond = false;
    ReadMode read = ReadMode::OneByte;
    // The reply's first byte must be the address the frame went to.
    bool checkAddress = true;

    // The usual command that a device acknowledges with its address alone.
    static ExchangeOptions echo(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
    {
        ExchangeOptions o;
        o.timeout = timeout;
        return o;
    }
};

enum class ExchangeStatus {
    Ok,
    PortNotOpen,
    Busy,          // this port is already waiting in another exchange
    WriteFailed,
    TimedOut,      // fewer than the awaited bytes within the time-out
    // Not this device's answer alone: the first byte is not the address,
    // or more bytes came than the answer holds. The bytes are in `reply`.
    WrongAddress,
    // The line would not fall quiet: before the write, after an exchange
    // that went wrong, or after bytes that were not this device's answer,
    // bytes kept coming for a few times the failed exchange's own wait. In
    // the first case nothing was sent; in the second the device may have
    // carried the command out.
    Disturbed,
};

// How the quiet after a failed exchange ended.
enum class QuietEnd {
    Silent,     // nothing came: the device did not answer
    Heard,      // bytes came after the wait: the device may have carried the command out
    Disturbed,  // bytes kept coming: the line is disturbed, and the wait gave up
};

struct ExchangeResult {
    ExchangeStatus status = ExchangeStatus::PortNotOpen;
    QByteArray reply;
    bool ok() const { return status == ExchangeStatus::Ok; }
};

// How a wait passes its time.
enum class Waiting {
    Yield,  // the event loop runs: timers, receive events, other windows
    Block,  // nothing else runs until the bytes came or the time is up
};

// A window's own serial port on the controller line. The window opens it
// from LineParams, sends frames and takes replies; closing it, or
// destroying it with its window, releases the line.
//
// One port object at a time owns a device: a second one that tries to
// open it is refused even when the operating system would let it (root is
// not bound by the exclusive open).
//
// Waits measure elapsed time on a monotonic clock, so a wait that spans
// midnight or a change of the wall clock still ends after its duration,
// and a reply is taken once its last awaited byte is in and a short
// settle has brought nothing more: an answer is exactly its length, and
// bytes beyond it mean that another device answered too. The settle
// lasts a few character times at the port's speed: a second answer's
// bytes follow the first's at once. A test may bound the waits on silence
// (see LineWaits); the program never does.
//
// After an exchange that did not end with its whole answer (none, a
// wrong or short one, one that overshot, a stream that stopped) the
// answer may still be on its way: the next frame on the line is written
// only once the line has been quiet for that exchange's own wait, and
// whatever arrives meanwhile is thrown away. This holds for the device,
// not the port object: closing the port and opening it again, or another
// window opening it, does not skip the quiet. The quiet is given up once
// bytes have kept coming for a few times that wait (a chattering device,
// an unbiased bus): the line then counts as disturbed, the command that
// waited fails with Disturbed, and the line takes the next frame.
class LinePort : public QObject {
    Q_OBJECT
public:
    explicit LinePort(QObject* parent = nullptr);
    // With a transport of the caller's (tests).
    LinePort(std::unique_ptr<SerialTransport> transport, QObject* parent = nullptr);
    ~LinePort() override;

    // Opens the port unless it is open already, in which case it keeps the
    // parameters of its first opening.
    OpenResult open(const LineParams& params);
    void close();
    bool isOpen() const;
    QString device() const { return device_; }

    // Sends one frame and takes its reply (see ExchangeOptions). Refused
    // with Busy while this port waits in another exchange.
    ExchangeResult exchange(QByteArrayView frame, const ExchangeOptions& options = {});

    // True while an exchange or a wait of this port is under way. A window
    // keeps the controls that could start another exchange, or close it,
    // disabled meanwhile (see ExchangeGuard).
    bool busy() const { return busy_ > 0; }

    // For windows that read a reply in several parts or by receive events:
    // waits for a quiet line when the last exchange went wrong, empties the
    // receive buffer (and with `emptyBuffers` what waits to be sent), then
    // writes the frame. False when closed, busy or refused, or when the
    // line would not fall quiet (lineDisturbed() then says so). A caller
    // that must not wait asks quiet() first.
    bool send(QByteArrayView frame, bool emptyBuffers = true);
    // Whether the last send() or quiet() of this port gave up waiting for a
    // quiet line because bytes kept coming.
    bool lineDisturbed() const { return disturbed_; }
    // Waits until at least `count` bytes are in the receive buffer or the
    // time is up. False on the time-out (the answer then counts as gone
    // wrong, see unsettle()), when closed or when busy.
    bool waitForBytes(qsizetype count, std::chrono::milliseconds timeout, Waiting waiting = Waiting::Yield);

    // The answer to the frame sent last did not end clean (the caller found
    // a wrong byte, or gave up on it): the next frame waits until the line
    // has been quiet for `wait`, the answer's own wait.
    void unsettle(std::chrono::milliseconds wait);
    // The caller has read what should be the whole answer: true when no
    // further byte comes within a short settle. Otherwise the answer was
    // not the device's alone, the line is unsettled for `wait`, and false.
    bool answerEnded(std::chrono::milliseconds wait, Waiting waiting = Waiting::Yield);
    // Waits now, rather than before the next frame, until the line has been
    // quiet after an answer that went wrong. Heard when bytes came in the
    // meantime: a device answered after its wait, so the command may have
    // been carried out although it was not acknowledged.
    QuietEnd quietAfterFailure();
    // Without waiting: true when the line may take the next frame, that is
    // when the last exchange ended clean, the line has been quiet long
    // enough since, or it has been disturbed too long to wait for (see
    // lineDisturbed()); what came meanwhile is thrown away.
    bool quiet();
    qsizetype bytesAvailable() const;
    // Up to `maxBytes` bytes; everything there when `maxBytes` <= 0.
    QByteArray read(qsizetype maxBytes = 0);
    // Empties the receive buffer and drops what waits to be sent.
    void clear();

    // Whether some port object of this program owns `device`.
    static bool isHeld(const QString& device);

signals:
    // Bytes arrived (for windows that take replies by receive events).
    void bytesArrived();
    void busyChanged(bool busy);

private:
    class BusyScope;
    struct LineQuiet;
    enum class QuietState { Waiting, Quiet, Disturbed, Closed };
    bool waitLoop(qsizetype count, std::chrono::microseconds timeout, Waiting waiting);
    QuietState quietState(std::chrono::microseconds waited);
    QuietState waitQuiet();
    // Bytes that were not the device's answer alone: a wrong answer, or a
    // disturbed line when the quiet after them never comes.
    ExchangeStatus afterWrongBytes(std::chrono::milliseconds wait);
    // The pause after the write, without yielding. When the awaited bytes
    // came during it and the settle after them is over too, the count of
    // bytes that came with the answer; otherwise nothing.
    std::optional<qsizetype> pauseWatching(qsizetype awaited, std::chrono::milliseconds length);
    void onReadyRead();
    LineQuiet* line() const;

    std::unique_ptr<SerialTransport> transport_;
    QString device_;
    QString key_;
    int busy_ = 0;
    bool disturbed_ = false;
    // How long a whole answer is watched for one more byte.
    std::chrono::microseconds settle_{0};
};
