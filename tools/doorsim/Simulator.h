#pragma once
#include "doorsim/Devices.h"
#include "doorsim/PseudoTerminal.h"
#include "link/LineClock.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>

#include <functional>
#include <optional>

class QSocketNotifier;

// Door controllers and the card-issuing reader on one pseudo-terminal.
// The program under test opens slavePath() (or the "com<N>" link that
// makeLink() puts in its program folder) as its serial port; the
// simulator answers each frame as the addressed device would.
//
// It runs on the event loop of the thread that created it: a test drives
// it simply by running its own event loop (an exchange's wait does), and
// the doorsim program runs it on its main loop. Its delays are on the
// line's clock (LineClock), as the waits of the ports are.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(QObject* parent = nullptr);
    ~Simulator() override;

    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return pty_.isOpen() || output_; }
    QString slavePath() const { return pty_.slavePath(); }

    // The program's end in memory instead of on the terminal (MemoryLine):
    // what the program wrote, and where the replies go.
    void receive(const QByteArray& bytes);
    void setOutput(std::function<void(const QByteArray&)> output) { output_ = std::move(output); }

    // Makes `folder`/com<portNo> a symbolic link to the terminal, replacing
    // a link of that name. The link is removed again by stop().
    bool makeLink(const QString& folder, int portNo, QString* error = nullptr);

    // The devices. addController() returns the existing one when there is.
    Controller& addController(quint8 address);
    Controller* controller(quint8 address);
    void removeController(quint8 address);
    QList<quint8> addresses() const { return controllers_.keys(); }
    // The card reader; absent until setReader().
    Reader& setReader(quint8 address);
    Reader* reader() { return reader_ ? &*reader_ : nullptr; }
    void removeReader() { reader_.reset(); }

    // The card laid on the reader (up to 10 digits; padded with "0" in
    // front); an empty text takes it away. False without a reader or for
    // a text that is not digits.
    bool layCard(const QString& physical);

    // A stray `byte` on the line every `everyMs` milliseconds, whoever is
    // talking (a chattering device, an idle bus without bias); 0: none.
    void setChatter(int everyMs, quint8 byte = 0xFF);

    // Line speed, in bits per second (a byte takes 10 bits): of paced
    // replies, and of every frame, which a device answers only once it has
    // had the frame's line time.
    void setBaud(int baud) { baud_ = baud > 0 ? baud : 9600; }
    int baud() const { return baud_; }

    // Every frame received, whole, in order (also those no device took).
    const QList<QByteArray>& frames() const { return frames_; }
    void clearFrames() { frames_.clear(); }
    // True while replies wait to be sent or are being sent.
    bool sending() const { return !out_.isEmpty(); }

    // The whole state, and loading one (replacing every device).
    QJsonObject state() const;
    bool loadState(const QJsonObject& state, QString* error = nullptr);

    // One control command, as a person types it or a command file holds
    // it; returns the answer text. "help" lists them.
    QString command(const QString& line);
    static QString commandHelp();

signals:
    void frameReceived(const QByteArray& frame);
    void replyQueued(const QByteArray& reply);
    // A line for a person watching the traffic.
    void log(const QString& line);
    // "quit" was given.
    void quitRequested();

private:
    struct Chunk {
        QByteArray bytes;
        qint64 delayUs = 0;
        bool paced = false;
    };

    void onReadable();
    void takeFrames();
    void dispatch(const QByteArray& frame);
    void queueReply(QByteArray reply, const Behaviour& behaviour, qsizetype frameBytes);
    void pump();
    void chatter();
    void schedule(qint64 usecs);
    Behaviour* behaviourOf(const QString& who);

    PseudoTerminal pty_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray in_;
    std::optional<LineClock::Time> lastInput_;
    QMap<quint8, Controller> controllers_;
    std::optional<Reader> reader_;
    int baud_ = 9600;
    QList<Chunk> out_;
    bool headStarted_ = false;
    LineClock::Time headAt_{0};
    qsizetype headSent_ = 0;
    LineTimer outTimer_;
    std::function<void(const QByteArray&)> output_;
    LineTimer chatter_;
    LineClock::Time chatterEvery_{0};
    quint8 chatterByte_ = 0xFF;
    QList<QByteArray> frames_;
    QStringList links_;
};
