#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

// One door-open record as a controller delivered it, decoded.
struct CollectedRecord {
    QTime time;
    QDate date;
    QString card;      // the digits, without blanks
    int address = 0;   // the controller it came from
    qint16 flag = 0;   // the ChannelCode: 1 lock 1 in .. 4 lock 2 out
    // The date as sent does not exist (30 February) and was moved to the
    // last day of its month.
    bool mended = false;
    // The year byte was not two digits: its last two were taken.
    bool yearGuessed = false;

    bool operator==(const CollectedRecord& o) const
    {
        return time == o.time && date == o.date && card == o.card && address == o.address && flag == o.flag;
    }
};

// What a collector does with a record whose date or time cannot be.
enum class ClampRule {
    // The manual collection: a month or day out of range becomes 1, an
    // hour or minute out of range becomes 0, each on its own.
    ByHand,
    // The timed collection: a month or day out of range gives 1999-01-01,
    // an hour or minute out of range gives 00:00:00.
    Timed,
};

// The channel's words as `flagIO` holds them; empty for other codes.
QString flagText(int flag);

namespace AccessRecord {

constexpr int kSize = 10;

// The ten bytes of a record: card (3 BCD bytes), year, month, day, hour,
// minute (BCD), the channel as a plain number, one unused byte. Every
// byte pattern decodes; what cannot be a date or time is clamped by
// `rule`, and a day beyond its month's end goes to that month's last day.
CollectedRecord decode(QByteArrayView bytes, int address, ClampRule rule);

}  // namespace AccessRecord

// The answer to CollectRecords as it arrives: the controller's address,
// the number of records (two bytes, high first), then per record the
// address again and the ten record bytes. Fed in chunks of any size, it
// takes exactly the bytes of the answer and nothing past its end, and it
// keeps only whole records.
//
// A record's leading address is compared: one wrong byte in the stream
// would otherwise shift every later record into wrong cards and dates.
class RecordStream {
public:
    enum class Phase {
        Echo,             // awaiting the first address byte
        Count,            // the two count bytes
        RecordEcho,       // the address before a record
        RecordBody,       // the ten record bytes
        Done,             // every announced record was read (or none was announced)
        WrongEcho,        // the first byte was not the address
        WrongRecordEcho,  // a record's leading byte was not the address
    };

    RecordStream(quint8 address, ClampRule rule);

    Phase phase() const { return phase_; }
    bool finished() const { return phase_ == Phase::Done || phase_ == Phase::WrongEcho || phase_ == Phase::WrongRecordEcho; }
    // Bytes the current phase still lacks (0 once finished).
    qsizetype needed() const;
    // Takes bytes from the front of `bytes`, at most up to the end of the
    // answer; returns how many it took.
    qsizetype feed(QByteArrayView bytes);

    quint16 announced() const { return announced_; }
    bool countKnown() const { return phase_ != Phase::Echo && phase_ != Phase::Count && phase_ != Phase::WrongEcho; }
    // The record being read, counted from 1.
    int recordNumber() const { return static_cast<int>(records_.size()) + 1; }
    const QList<CollectedRecord>& records() const { return records_; }

private:
    void complete();

    quint8 address_;
    ClampRule rule_;
    Phase phase_ = Phase::Echo;
    QByteArray part_;
    quint16 announced_ = 0;
    QList<CollectedRecord> records_;
};
