#include "records/RecordStream.h"

#include "link/Bcd.h"
#include "link/YearByte.h"

QString flagText(int flag)
{
    switch (flag) {
    case 1: return QStringLiteral("锁一进");
    case 2: return QStringLiteral("锁一出");
    case 3: return QStringLiteral("锁二进");
    case 4: return QStringLiteral("锁二出");
    }
    return QString();
}

namespace AccessRecord {

namespace {

quint8 byteAt(QByteArrayView b, int i)
{
    return i < b.size() ? static_cast<quint8>(b.at(i)) : 0;
}

}  // namespace

CollectedRecord decode(QByteArrayView bytes, int address, ClampRule rule)
{
    CollectedRecord r;
    r.address = address;
    r.flag = static_cast<qint16>(byteAt(bytes, 8));
    r.card = Bcd::toDigits(bytes.first(std::min<qsizetype>(3, bytes.size())));

    int yy = Bcd::decode(byteAt(bytes, 3));
    if (yy > 99) {
        // A half-byte above 9: not a year at all. Its last two digits are
        // the best the record offers.
        yy %= 100;
        r.yearGuessed = true;
    }
    int month = Bcd::decode(byteAt(bytes, 4));
    int day = Bcd::decode(byteAt(bytes, 5));
    int hour = Bcd::decode(byteAt(bytes, 6));
    int minute = Bcd::decode(byteAt(bytes, 7));
    const bool monthOk = month >= 1 && month <= 12;
    const bool dayOk = day >= 1 && day <= 31;
    const bool hourOk = hour >= 0 && hour <= 23;
    const bool minuteOk = minute >= 0 && minute <= 59;

    int year = YearByte::fullYear(yy);
    if (rule == ClampRule::ByHand) {
        if (!monthOk)
            month = 1;
        if (!dayOk)
            day = 1;
        if (!hourOk)
            hour = 0;
        if (!minuteOk)
            minute = 0;
    } else {
        if (!monthOk || !dayOk) {
            year = 1999;
            month = 1;
            day = 1;
        }
        if (!hourOk || !minuteOk)
            hour = minute = 0;
    }
    const int last = QDate(year, month, 1).daysInMonth();
    if (day > last) {
        day = last;
        r.mended = true;
    }
    r.date = QDate(year, month, day);
    r.time = QTime(hour, minute, 0);
    return r;
}

}  // namespace AccessRecord

RecordStream::RecordStream(quint8 address, ClampRule rule) : address_(address), rule_(rule)
{
}

qsizetype RecordStream::needed() const
{
    switch (phase_) {
    case Phase::Echo: return 1 - part_.size();
    case Phase::Count: return 2 - part_.size();
    case Phase::RecordEcho: return 1 - part_.size();
    case Phase::RecordBody: return AccessRecord::kSize - part_.size();
    default: return 0;
    }
}

qsizetype RecordStream::feed(QByteArrayView bytes)
{
    qsizetype taken = 0;
    while (taken < bytes.size() && !finished()) {
        const qsizetype n = std::min(needed(), bytes.size() - taken);
        part_.append(bytes.sliced(taken, n));
        taken += n;
        if (needed() == 0)
            complete();
    }
    return taken;
}

void RecordStream::complete()
{
    const QByteArray part = part_;
    part_.clear();
    switch (phase_) {
    case Phase::Echo:
        phase_ = static_cast<quint8>(part.at(0)) == address_ ? Phase::Count : Phase::WrongEcho;
        break;
    case Phase::Count:
        announced_ = TwoByteCount::decode(static_cast<quint8>(part.at(0)), static_cast<quint8>(part.at(1)));
        phase_ = announced_ == 0 ? Phase::Done : Phase::RecordEcho;
        break;
    case Phase::RecordEcho:
        phase_ = static_cast<quint8>(part.at(0)) == address_ ? Phase::RecordBody : Phase::WrongRecordEcho;
        break;
    case Phase::RecordBody:
        records_.append(AccessRecord::decode(part, address_, rule_));
        phase_ = records_.size() >= announced_ ? Phase::Done : Phase::RecordEcho;
        break;
    default: break;
    }
}
