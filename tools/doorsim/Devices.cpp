#include "doorsim/Devices.h"

#include "link/Bcd.h"
#include "link/CommandFrame.h"
#include "link/YearByte.h"

#include <QJsonArray>

namespace {

QDate dateFromBytes(quint8 yy, quint8 mm, quint8 dd)
{
    const int y = Bcd::decode(yy), m = Bcd::decode(mm), d = Bcd::decode(dd);
    return QDate(YearByte::fullYear(y), m, d);
}

bool allZero(std::initializer_list<quint8> bytes)
{
    for (quint8 b : bytes) {
        if (b != 0)
            return false;
    }
    return true;
}

quint8 at(const QByteArray& a, int i)
{
    return i < a.size() ? static_cast<quint8>(a.at(i)) : 0;
}

QString hex(const QByteArray& a)
{
    return QString::fromLatin1(a.toHex(' '));
}

bool isDigits(const QString& s)
{
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !s.isEmpty();
}

}  // namespace

std::optional<QString> normalisedNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (!isDigits(t) || t.size() > 10)
        return std::nullopt;
    if (t.size() <= 6)
        return t.rightJustified(6, QLatin1Char('0'));
    return t.rightJustified(10, QLatin1Char('0'));
}

// ---- Behaviour ----

QJsonObject Behaviour::toJson() const
{
    return {{QStringLiteral("silent"), silent},       {QStringLiteral("delayMs"), delayMs},
            {QStringLiteral("wrongAddress"), wrongAddress}, {QStringLiteral("splitAt"), splitAt},
            {QStringLiteral("splitGapMs"), splitGapMs}, {QStringLiteral("paced"), paced},
            {QStringLiteral("loseFrames"), loseFrames}, {QStringLiteral("loseAfter"), loseAfter},
            {QStringLiteral("twice"), twice},           {QStringLiteral("strayByte"), strayByte},
            {QStringLiteral("followedBy"), followedBy}, {QStringLiteral("strayAfterMs"), strayAfterMs}};
}

bool Behaviour::loses()
{
    if (loseFrames <= 0)
        return false;
    if (loseAfter > 0) {
        --loseAfter;
        return false;
    }
    --loseFrames;
    return true;
}

void Behaviour::fromJson(const QJsonObject& o)
{
    silent = o.value(QStringLiteral("silent")).toBool(silent);
    delayMs = o.value(QStringLiteral("delayMs")).toInt(delayMs);
    wrongAddress = o.value(QStringLiteral("wrongAddress")).toBool(wrongAddress);
    splitAt = o.value(QStringLiteral("splitAt")).toInt(splitAt);
    splitGapMs = o.value(QStringLiteral("splitGapMs")).toInt(splitGapMs);
    paced = o.value(QStringLiteral("paced")).toBool(paced);
    loseFrames = o.value(QStringLiteral("loseFrames")).toInt(loseFrames);
    loseAfter = o.value(QStringLiteral("loseAfter")).toInt(loseAfter);
    twice = o.value(QStringLiteral("twice")).toBool(twice);
    strayByte = o.value(QStringLiteral("strayByte")).toInt(strayByte);
    followedBy = o.value(QStringLiteral("followedBy")).toInt(followedBy);
    strayAfterMs = o.value(QStringLiteral("strayAfterMs")).toInt(strayAfterMs);
}

// ---- CardEntry ----

QDate CardEntry::startDate() const
{
    if (allZero({at(limits, 0), at(limits, 1), at(limits, 4), at(limits, 5)}))
        return {};
    return dateFromBytes(at(limits, 0), at(limits, 2) & 0x1F, at(limits, 4));
}

QDate CardEntry::endDate() const
{
    if (allZero({at(limits, 0), at(limits, 1), at(limits, 4), at(limits, 5)}))
        return {};
    return dateFromBytes(at(limits, 1), at(limits, 3) & 0x1F, at(limits, 5));
}

int CardEntry::lock1Mode() const
{
    return (at(limits, 2) >> 5) & 0x03;
}

int CardEntry::lock2Mode() const
{
    return (at(limits, 3) >> 5) & 0x03;
}

QTime CardEntry::startTime() const
{
    if (allZero({at(limits, 6), at(limits, 7), at(limits, 8), at(limits, 9)}))
        return {};
    return QTime(Bcd::decode(at(limits, 6)), Bcd::decode(at(limits, 8)));
}

QTime CardEntry::endTime() const
{
    if (allZero({at(limits, 6), at(limits, 7), at(limits, 8), at(limits, 9)}))
        return {};
    return QTime(Bcd::decode(at(limits, 7)), Bcd::decode(at(limits, 9)));
}

int CardEntry::weekStart() const
{
    return at(limits, 10) >> 4;
}

int CardEntry::weekEnd() const
{
    return at(limits, 10) & 0x0F;
}

QJsonObject CardEntry::toJson() const
{
    QJsonObject o{{QStringLiteral("card"), card},
                  {QStringLiteral("physical"), physical},
                  {QStringLiteral("limits"), hex(limits)},
                  {QStringLiteral("lock1Mode"), lock1Mode()},
                  {QStringLiteral("lock2Mode"), lock2Mode()},
                  {QStringLiteral("weekStart"), weekStart()},
                  {QStringLiteral("weekEnd"), weekEnd()}};
    if (startDate().isValid() || endDate().isValid()) {
        o.insert(QStringLiteral("startDate"), startDate().toString(Qt::ISODate));
        o.insert(QStringLiteral("endDate"), endDate().toString(Qt::ISODate));
    }
    if (startTime().isValid() || endTime().isValid()) {
        o.insert(QStringLiteral("startTime"), startTime().toString(QStringLiteral("HH:mm")));
        o.insert(QStringLiteral("endTime"), endTime().toString(QStringLiteral("HH:mm")));
    }
    return o;
}

std::optional<CardEntry> CardEntry::fromJson(const QJsonObject& o)
{
    CardEntry c;
    const auto card = normalisedNumber(o.value(QStringLiteral("card")).toString());
    const auto physical = normalisedNumber(o.value(QStringLiteral("physical")).toString());
    if (!card || card->size() != 6 || !physical || physical->size() != 10)
        return std::nullopt;
    c.card = *card;
    c.physical = *physical;
    c.limits = QByteArray::fromHex(o.value(QStringLiteral("limits")).toString().toLatin1());
    c.limits.resize(11, '\0');
    return c;
}

// ---- StoredRecord ----

QByteArray StoredRecord::bytes() const
{
    if (raw.size() == 10)
        return raw;
    QByteArray out = Bcd::fromDigits(card).value_or(QByteArray(3, '\0'));
    out.resize(3, '\0');
    out.append(static_cast<char>(Bcd::encode(at.date().year() % 100)));
    out.append(static_cast<char>(Bcd::encode(at.date().month())));
    out.append(static_cast<char>(Bcd::encode(at.date().day())));
    out.append(static_cast<char>(Bcd::encode(at.time().hour())));
    out.append(static_cast<char>(Bcd::encode(at.time().minute())));
    out.append(static_cast<char>(channel));
    out.append('\0');
    return out;
}

// ---- Controller ----

Controller::Controller(quint8 a) : address(a) {}

QDateTime Controller::clock() const
{
    return QDateTime::currentDateTime().addMSecs(clockOffsetMs_);
}

void Controller::setClock(const QDateTime& at)
{
    clockOffsetMs_ = QDateTime::currentDateTime().msecsTo(at);
}

int Controller::weekdayCode() const
{
    const QDate today = clock().date();
    if (weekdaySet_)
        return ((*weekdaySet_ + weekdaySetOn_.daysTo(today)) % 7 + 7) % 7;
    return today.dayOfWeek() % 7;
}

bool Controller::lockOpen(int lock) const
{
    const int i = lock == 2 ? 1 : 0;
    if (force[i] != Force::None)
        return force[i] == Force::Open;
    return openSince_[i] && LineClock::now() - *openSince_[i] < std::chrono::milliseconds(openForMs_[i]);
}

void Controller::openLock(int lock)
{
    const int i = lock == 2 ? 1 : 0;
    openSince_[i] = LineClock::now();
    // At least a moment, so that a lock with a delay of 0 is still seen
    // open by a poll that comes right after the pass.
    openForMs_[i] = std::max<qint64>(lockDelay[i] * 1000 / 14, 500);
}

const CardEntry* Controller::findCard(const QString& card) const
{
    for (const CardEntry& c : cards) {
        if (c.card == card)
            return &c;
    }
    return nullptr;
}

const CardEntry* Controller::findPhysical(const QString& physical) const
{
    for (const CardEntry& c : cards) {
        if (c.physical == physical)
            return &c;
    }
    return nullptr;
}

bool Controller::pass(const QString& cardOrPhysical, int channel, const QDateTime& at)
{
    if (channel < 1 || channel > 4)
        return false;
    const auto number = normalisedNumber(cardOrPhysical);
    if (!number)
        return false;
    QString card, physical;
    if (number->size() == 6) {
        card = *number;
        const CardEntry* e = findCard(card);
        physical = e ? e->physical : QStringLiteral("0000") + card;
    } else {
        physical = *number;
        const CardEntry* e = findPhysical(physical);
        card = e ? e->card : physical.right(6);
    }
    records.append({card, at.isValid() ? at : clock(), channel});
    passes.append({physical, channel});
    openLock(channel <= 2 ? 1 : 2);
    return true;
}

QByteArray Controller::handle(quint8 command, const QByteArray& p)
{
    if (ignored.contains(command))
        return {};
    if (const auto given = answers.constFind(command); given != answers.cend())
        return *given;
    const QByteArray echo(1, static_cast<char>(address));
    switch (static_cast<CommandCode>(command)) {
    case CommandCode::StatusQuery:
        return statusReply();
    case CommandCode::ClearRecords:
        records.clear();
        return echo;
    case CommandCode::SetTime: {
        const QTime t(Bcd::decode(at(p, 0)), Bcd::decode(at(p, 1)), Bcd::decode(at(p, 2)));
        if (!t.isValid())
            return {};
        setClock(QDateTime(clock().date(), t));
        return echo;
    }
    case CommandCode::SetDate: {
        const int weekday = at(p, 1) >> 5;
        const QDate d = dateFromBytes(at(p, 0), at(p, 1) & 0x1F, at(p, 2));
        if (!d.isValid())
            return {};
        setClock(QDateTime(d, clock().time()));
        weekdaySet_ = weekday;
        weekdaySetOn_ = d;
        return echo;
    }
    case CommandCode::ClearLists:
        cards.clear();
        return echo;
    case CommandCode::SetLockDelay1:
        lockDelay[0] = at(p, 0);
        return echo;
    case CommandCode::SetLockDelay2:
        lockDelay[1] = at(p, 0);
        return echo;
    case CommandCode::OpenLock1:
        openLock(1);
        return echo;
    case CommandCode::OpenLock2:
        openLock(2);
        return echo;
    case CommandCode::AddCard: {
        CardEntry c;
        c.physical = Bcd::toDigits(QByteArrayView(p).first(5));
        c.card = Bcd::toDigits(QByteArrayView(p).sliced(5, 3));
        c.limits = p.mid(8, 11);
        for (CardEntry& e : cards) {
            if (e.card == c.card) {
                e = c;
                return echo;
            }
        }
        // A full memory takes no further card; the PC sees no echo.
        if (cardCapacity > 0 && cards.size() >= cardCapacity)
            return {};
        cards.append(c);
        return echo;
    }
    case CommandCode::DeleteCard: {
        const QString card = Bcd::toDigits(QByteArrayView(p).first(3));
        cards.removeIf([&](const CardEntry& e) { return e.card == card; });
        return echo;
    }
    case CommandCode::CollectRecords:
        return collectReply();
    case CommandCode::PollLocks:
        return pollReply();
    case CommandCode::ReadPassRecord:
        return passReply();
    case CommandCode::AckPassRecord:
        // Taken: the next ReadPassRecord reports the next pass. The PC
        // reads no answer to this one, so none is sent.
        if (!passes.isEmpty())
            passes.removeFirst();
        return {};
    case CommandCode::ReadCard:
        return {};
    }
    return {};
}

QByteArray Controller::statusReply() const
{
    const QDateTime now = clock();
    QByteArray r;
    r.append(static_cast<char>(address));
    r.append(TwoByteCount::encode(static_cast<quint16>(std::min<qsizetype>(records.size(), 0xFFFF))));
    r.append(static_cast<char>(lockDelay[0]));
    r.append(static_cast<char>(lockDelay[1]));
    r.append(static_cast<char>(Bcd::encode(now.date().year() % 100)));
    r.append(static_cast<char>(Bcd::encode(now.date().month())));
    r.append(static_cast<char>(Bcd::encode(now.date().day())));
    r.append(static_cast<char>(Bcd::encode(now.time().hour())));
    r.append(static_cast<char>(Bcd::encode(now.time().minute())));
    r.append(static_cast<char>(Bcd::encode(now.time().second())));
    r.append(static_cast<char>(Bcd::encode(weekdayCode())));
    r.append(static_cast<char>(Bcd::encode(version[0])));
    r.append(static_cast<char>(Bcd::encode(version[1])));
    r.append(static_cast<char>(Bcd::encode(version[2])));
    return r;
}

QByteArray Controller::collectReply()
{
    const qsizetype n = std::min<qsizetype>(records.size(), 0xFFFF);
    const qsizetype sent = collectStopsAfter < 0 ? n : std::min<qsizetype>(n, collectStopsAfter);
    QByteArray r;
    r.reserve(3 + sent * 11);
    r.append(static_cast<char>(address));
    r.append(TwoByteCount::encode(static_cast<quint16>(n)));
    for (qsizetype i = 0; i < sent; ++i) {
        r.append(static_cast<char>(i + 1 == wrongEchoAt ? (address + 1) % 100 : address));
        r.append(records.at(i).bytes());
    }
    for (; passesDuringCollect > 0; --passesDuringCollect)
        records.append({QStringLiteral("%1").arg(900000 + records.size() % 99999, 6, 10, QLatin1Char('0')), clock(),
                        int(records.size() % 4) + 1});
    return r;
}

QByteArray Controller::pollReply() const
{
    const quint8 lock1 = lockOpen(1) ? 0x04 : 0x02;
    const quint8 lock2 = lockOpen(2) ? 0x40 : 0x20;
    QByteArray r;
    r.append(static_cast<char>(address));
    r.append(static_cast<char>(lock1 | lock2));
    return r;
}

QByteArray Controller::passReply() const
{
    QByteArray r;
    r.append(static_cast<char>(address));
    r.append(static_cast<char>(0x08));
    if (passes.isEmpty()) {
        // Nine bytes all the same, with a reply code that says "nothing".
        r.append(QByteArray(7, '\0'));
        return r;
    }
    const PendingPass& p = passes.first();
    r.append(static_cast<char>(0x04));
    r.append(Bcd::fromDigits(p.physical).value_or(QByteArray(5, '\0')));
    r.append(static_cast<char>(p.channel));
    return r;
}

QJsonObject Controller::toJson() const
{
    QJsonArray cardArray, recordArray, passArray;
    for (const CardEntry& c : cards)
        cardArray.append(c.toJson());
    for (const StoredRecord& r : records) {
        if (r.raw.size() == 10)
            recordArray.append(QJsonObject{{QStringLiteral("raw"), hex(r.raw)}});
        else
            recordArray.append(QJsonObject{{QStringLiteral("card"), r.card},
                                           {QStringLiteral("at"), r.at.toString(QStringLiteral("yyyy-MM-ddTHH:mm"))},
                                           {QStringLiteral("channel"), r.channel}});
    }
    QJsonArray ignoredArray;
    for (quint8 c : ignored)
        ignoredArray.append(int(c));
    for (const PendingPass& p : passes)
        passArray.append(QJsonObject{{QStringLiteral("physical"), p.physical}, {QStringLiteral("channel"), p.channel}});
    auto forceText = [](Force f) {
        return f == Force::Open ? QStringLiteral("open") : f == Force::Closed ? QStringLiteral("closed") : QStringLiteral("auto");
    };
    return {{QStringLiteral("address"), address},
            {QStringLiteral("clock"), clock().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))},
            {QStringLiteral("weekday"), weekdayCode()},
            {QStringLiteral("lockDelays"), QJsonArray{lockDelay[0], lockDelay[1]}},
            {QStringLiteral("locks"), QJsonArray{forceText(force[0]), forceText(force[1])}},
            {QStringLiteral("lockOpen"), QJsonArray{lockOpen(1), lockOpen(2)}},
            {QStringLiteral("version"), QJsonArray{version[0], version[1], version[2]}},
            {QStringLiteral("cardCapacity"), cardCapacity},
            {QStringLiteral("cards"), cardArray},
            {QStringLiteral("records"), recordArray},
            {QStringLiteral("passes"), passArray},
            {QStringLiteral("wrongEchoAt"), wrongEchoAt},
            {QStringLiteral("ignored"), ignoredArray},
            {QStringLiteral("behaviour"), behaviour.toJson()}};
}

std::optional<Controller> Controller::fromJson(const QJsonObject& o, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<Controller> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const int address = o.value(QStringLiteral("address")).toInt(-1);
    if (address < 0 || address > 255)
        return fail(QStringLiteral("a controller needs an address 0..255"));
    Controller c(static_cast<quint8>(address));
    if (o.contains(QStringLiteral("clock"))) {
        const QDateTime at = QDateTime::fromString(o.value(QStringLiteral("clock")).toString(), Qt::ISODate);
        if (!at.isValid())
            return fail(QStringLiteral("controller %1: clock is not yyyy-MM-ddTHH:mm:ss").arg(address));
        c.setClock(at);
    }
    if (o.contains(QStringLiteral("weekday"))) {
        c.weekdaySet_ = o.value(QStringLiteral("weekday")).toInt();
        c.weekdaySetOn_ = c.clock().date();
    }
    const QJsonArray delays = o.value(QStringLiteral("lockDelays")).toArray();
    for (int i = 0; i < 2 && i < delays.size(); ++i)
        c.lockDelay[i] = static_cast<quint8>(delays.at(i).toInt());
    const QJsonArray locks = o.value(QStringLiteral("locks")).toArray();
    for (int i = 0; i < 2 && i < locks.size(); ++i) {
        const QString f = locks.at(i).toString();
        c.force[i] = f == QLatin1String("open") ? Force::Open : f == QLatin1String("closed") ? Force::Closed : Force::None;
    }
    const QJsonArray version = o.value(QStringLiteral("version")).toArray();
    for (int i = 0; i < 3 && i < version.size(); ++i)
        c.version[i] = static_cast<quint8>(version.at(i).toInt());
    c.cardCapacity = o.value(QStringLiteral("cardCapacity")).toInt(0);
    for (const QJsonValue& v : o.value(QStringLiteral("cards")).toArray()) {
        const auto card = CardEntry::fromJson(v.toObject());
        if (!card)
            return fail(QStringLiteral("controller %1: a card needs a 6-digit card and a physical number").arg(address));
        c.cards.append(*card);
    }
    for (const QJsonValue& v : o.value(QStringLiteral("records")).toArray()) {
        const QJsonObject r = v.toObject();
        StoredRecord rec;
        if (r.contains(QStringLiteral("raw"))) {
            rec.raw = QByteArray::fromHex(r.value(QStringLiteral("raw")).toString().toLatin1());
            if (rec.raw.size() != 10)
                return fail(QStringLiteral("controller %1: a raw record is 10 bytes").arg(address));
            c.records.append(rec);
            continue;
        }
        const auto card = normalisedNumber(r.value(QStringLiteral("card")).toString());
        rec.at = QDateTime::fromString(r.value(QStringLiteral("at")).toString(), Qt::ISODate);
        rec.channel = r.value(QStringLiteral("channel")).toInt(1);
        if (!card || card->size() != 6 || !rec.at.isValid())
            return fail(QStringLiteral("controller %1: a record needs a 6-digit card and a time").arg(address));
        rec.card = *card;
        c.records.append(rec);
    }
    for (const QJsonValue& v : o.value(QStringLiteral("passes")).toArray()) {
        const QJsonObject p = v.toObject();
        const auto physical = normalisedNumber(p.value(QStringLiteral("physical")).toString());
        if (!physical || physical->size() != 10)
            return fail(QStringLiteral("controller %1: a pass needs a physical number").arg(address));
        c.passes.append({*physical, p.value(QStringLiteral("channel")).toInt(1)});
    }
    c.wrongEchoAt = o.value(QStringLiteral("wrongEchoAt")).toInt(0);
    for (const QJsonValue& v : o.value(QStringLiteral("ignored")).toArray())
        c.ignored.append(static_cast<quint8>(v.toInt()));
    c.behaviour.fromJson(o.value(QStringLiteral("behaviour")).toObject());
    return c;
}

// ---- Reader ----

QByteArray Reader::handle(quint8 command, const QByteArray&) const
{
    if (command != static_cast<quint8>(CommandCode::ReadCard) || card.isEmpty())
        return {};
    QByteArray r;
    r.append(static_cast<char>(address));
    r.append(static_cast<char>(0x07));
    r.append(static_cast<char>(0x04));
    r.append(Bcd::fromDigits(card).value_or(QByteArray(5, '\0')));
    return r;
}

QJsonObject Reader::toJson() const
{
    return {{QStringLiteral("address"), address},
            {QStringLiteral("card"), card},
            {QStringLiteral("behaviour"), behaviour.toJson()}};
}

Reader Reader::fromJson(const QJsonObject& o)
{
    Reader r;
    r.address = static_cast<quint8>(o.value(QStringLiteral("address")).toInt(1));
    const auto card = normalisedNumber(o.value(QStringLiteral("card")).toString());
    r.card = card && card->size() == 10 ? *card : QString();
    r.behaviour.fromJson(o.value(QStringLiteral("behaviour")).toObject());
    return r;
}
