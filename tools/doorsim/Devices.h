#pragma once
#include "link/LineClock.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

// How a simulated device misbehaves on the line.
struct Behaviour {
    bool silent = false;        // takes no frame and answers nothing: a device switched off
    int delayMs = 0;            // waits this long before the first byte of a reply
    bool wrongAddress = false;  // the first byte of a reply is not its address
    int splitAt = 0;            // more than 0: that many bytes first, the rest after splitGapMs
    int splitGapMs = 0;
    bool paced = false;         // bytes leave at the line's baud rate, not all at once
    // After `loseAfter` more frames taken, the next `loseFrames` frames to
    // it are lost on the line: no action, no answer.
    int loseFrames = 0;
    int loseAfter = 0;
    bool twice = false;         // each reply goes out a second time right after the first
    int strayByte = -1;         // 0..255: a byte on the line before each reply
    int strayAfterMs = -1;      // 0 and more: the stray byte comes that long after the reply instead
    int followedBy = -1;        // a controller address: its reply to the same frame follows this one's

    // Whether the frame now arriving is lost, counting it.
    bool loses();

    QJsonObject toJson() const;
    void fromJson(const QJsonObject& o);
};

// A card as a controller keeps it: the numbers and the validity limits of
// the AddCard frame that wrote it.
struct CardEntry {
    QString card;           // 6 digits
    QString physical;       // 10 digits
    QByteArray limits;      // bytes 11..21 of AddCard, as sent

    // The limits decoded; an empty date or time range means none.
    QDate startDate() const;
    QDate endDate() const;
    int lock1Mode() const;
    int lock2Mode() const;
    QTime startTime() const;
    QTime endTime() const;
    int weekStart() const;
    int weekEnd() const;

    QJsonObject toJson() const;
    static std::optional<CardEntry> fromJson(const QJsonObject& o);
};

// A door-open record in the controller's memory.
struct StoredRecord {
    QString card;      // 6 digits
    QDateTime at;      // to the minute on the line
    int channel = 1;   // 1 lock 1 in, 2 lock 1 out, 3 lock 2 in, 4 lock 2 out
    // Ten bytes sent as they are instead of the fields above: a record no
    // sound controller would write (month 13, hour 24, a half-byte above 9).
    QByteArray raw{};

    QByteArray bytes() const;  // the 10-byte record of the collection stream
};

// A pass that waits to be read with ReadPassRecord.
struct PendingPass {
    QString physical;  // 10 digits
    int channel = 1;
};

// A door controller on the line.
class Controller {
public:
    explicit Controller(quint8 address = 1);

    quint8 address = 1;
    Behaviour behaviour;
    quint8 lockDelay[2] = {70, 70};   // 1/14 s: 5 seconds
    quint8 version[3] = {2, 10, 0};     // reported as 2.10
    int cardCapacity = 0;             // 0: no limit
    QList<CardEntry> cards;
    QList<StoredRecord> records;
    QList<PendingPass> passes;
    // The record (counted from 1) whose leading address byte in the
    // collection stream is another address; 0: none.
    int wrongEchoAt = 0;
    // Commands it takes no notice of: no action, no answer.
    QList<quint8> ignored;
    // Commands answered with these bytes as they stand (none: no answer),
    // with no action: replies no sound controller gives.
    QHash<quint8, QByteArray> answers;
    // Passes made at its doors while the next collection streams: stored
    // after the answer was put together, so that answer does not hold them.
    int passesDuringCollect = 0;
    // 0 or more: the collection answer announces every record but stops
    // after this many; -1: it sends them all.
    int collectStopsAfter = -1;

    // The controller's own clock runs on from whatever it was set to.
    QDateTime clock() const;
    void setClock(const QDateTime& at);
    // The weekday code it reports: the one SetDate sent, advanced day by
    // day since; before any SetDate 0 for Sunday to 6 for Saturday.
    int weekdayCode() const;

    // A lock is open for its delay after OpenLock or a pass, or as forced.
    enum class Force { None, Open, Closed };
    Force force[2] = {Force::None, Force::None};
    bool lockOpen(int lock) const;   // lock 1 or 2
    void openLock(int lock);

    // The answer to one frame addressed to this controller; nothing for a
    // command it does not know or that carries no answer.
    QByteArray handle(quint8 command, const QByteArray& parameters);

    // A pass through one of its locks: stored as a record, waiting as a
    // pass, and the lock opens. `cardOrPhysical` is a 6-digit card number
    // or a 10-digit physical number; the other is looked up in the card
    // list. False for a channel outside 1..4 or a malformed number.
    bool pass(const QString& cardOrPhysical, int channel, const QDateTime& at = {});

    const CardEntry* findCard(const QString& card) const;
    const CardEntry* findPhysical(const QString& physical) const;

    QJsonObject toJson() const;
    static std::optional<Controller> fromJson(const QJsonObject& o, QString* error);

private:
    QByteArray statusReply() const;
    QByteArray collectReply();
    QByteArray pollReply() const;
    QByteArray passReply() const;

    qint64 clockOffsetMs_ = 0;
    std::optional<int> weekdaySet_;
    QDate weekdaySetOn_;
    std::optional<LineClock::Time> openSince_[2];  // on the line's clock
    qint64 openForMs_[2] = {0, 0};
};

// The card-issuing reader: answers ReadCard with the card laid on it.
class Reader {
public:
    quint8 address = 1;
    Behaviour behaviour;
    QString card;  // 10 digits; empty: no card, and ReadCard gets no answer

    QByteArray handle(quint8 command, const QByteArray& parameters) const;

    QJsonObject toJson() const;
    static Reader fromJson(const QJsonObject& o);
};

// "0012345678" or "000123" checked and padded: digits only; a 6-digit
// number stays 6 digits, up to 10 digits are padded to 10.
std::optional<QString> normalisedNumber(const QString& text);
