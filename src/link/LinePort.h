#pragma once
#include "link/SerialTransport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

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
    OneByte,  // the echo; whatever follows stays for a later read
    Awaited,  // exactly the awaited count
    All,      // everything there
};

struct ExchangeOptions {
    int awaitedBytes = 1;
    std::chrono::milliseconds timeout{2000};
    // Also drop what waits to be sent. The receive buffer is emptied before
    // every write whatever this says: a byte left over from an earlier
    // exchange must never pass for this one's acknowledgement.
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
    WrongAddress,  // the first byte is not the address; the bytes are in `reply`
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
// and a reply is taken the moment its last awaited byte is in. A test may
// bound the waits on silence (see LineWaits); the program never does.
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
    // empties the receive buffer (and with `emptyBuffers` what waits to be
    // sent), then writes the frame. False when closed, busy or refused.
    bool send(QByteArrayView frame, bool emptyBuffers = true);
    // Waits until at least `count` bytes are in the receive buffer or the
    // time is up. False on the time-out, when closed or when busy.
    bool waitForBytes(qsizetype count, std::chrono::milliseconds timeout, Waiting waiting = Waiting::Yield);
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
    bool waitLoop(qsizetype count, std::chrono::milliseconds timeout, Waiting waiting);

    std::unique_ptr<SerialTransport> transport_;
    QString device_;
    int busy_ = 0;
};
