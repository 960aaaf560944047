#include "cards/CardIssuing.h"

#include "cards/CardRows.h"
#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NameKey.h"
#include "db/NumberText.h"
#include "db/Transaction.h"
#include "link/YearByte.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

using Outcome = StepReport::Outcome;

StepReport report(Outcome outcome, const QString& error = QString())
{
    return StepReport{outcome, error, std::nullopt};
}

// A command the controller did not acknowledge: silent, or in doubt when
// it answered all the same.
StepReport unacknowledged(const CardResult& sent)
{
    StepReport r = report(Outcome::Silent);
    if ((r.doubt = CardDoubts::of(sent)))
        r.outcome = Outcome::Unconfirmed;
    return r;
}

// Whether `sql` finds a row; nothing when faka cannot be read.
std::optional<bool> found(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    if (!BoundQuery::run(q, sql, values))
        return std::nullopt;
    return q.next();
}

// Another card than `card` holds this physical number (compared in its
// stored ten-digit form). A read that fails refuses the command as well:
// it is no answer either way.
std::optional<Refusal> physicalHeldByOther(QSqlDatabase db, const QString& physical, const QString& card)
{
    const std::optional<bool> held =
        found(db, QStringLiteral("SELECT 1 FROM faka WHERE 物理卡号 = ? AND 卡号 <> ? LIMIT 1"), {physical, card});
    if (!held)
        return Refusal::Unreadable;
    return *held ? std::optional<Refusal>(Refusal::PhysicalHeldByOther) : std::nullopt;
}

// The card has no row in faka, or faka cannot be read.
std::optional<Refusal> notIssued(QSqlDatabase db, const QString& card)
{
    const std::optional<bool> any = found(db, QStringLiteral("SELECT 1 FROM faka WHERE 卡号 = ? LIMIT 1"), {card});
    if (!any)
        return Refusal::Unreadable;
    return *any ? std::nullopt : std::optional<Refusal>(Refusal::NotIssued);
}

// A time limit that touches midnight cannot be held: the controller takes a
// zero time as no limit at all.
std::optional<Refusal> checkTimes(const CardRequest& r)
{
    if (!r.timeOn)
        return std::nullopt;
    if (r.endTime < r.startTime)
        return Refusal::TimesReversed;
    auto isMidnight = [](const QTime& t) { return t.hour() == 0 && t.minute() == 0; };
    if (isMidnight(r.startTime) || isMidnight(r.endTime))
        return Refusal::TimeAtMidnight;
    return std::nullopt;
}

std::optional<Refusal> checkDates(const CardRequest& r)
{
    if (!r.dateOn)
        return std::nullopt;
    return CardIssuing::checkDateRange(r.startDate, r.endDate);
}

std::optional<Refusal> checkModes(const CardRequest& r)
{
    if (!r.lock1Mode)
        return Refusal::NoLock1Mode;
    if (!r.lock2Mode)
        return Refusal::NoLock2Mode;
    return std::nullopt;
}

bool writeHolder(QSqlDatabase db, const CardRequest& r, QString* error)
{
    QSqlQuery q(db);
    // The other fields of an existing person stay as they are.
    q.prepare(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务, 身份证号) VALUES (?, ?, ?, ?, ?) "
                             "ON CONFLICT(卡号) DO UPDATE SET 姓名 = excluded.姓名, 部门 = excluded.部门, "
                             "职务 = excluded.职务, 身份证号 = excluded.身份证号"));
    q.addBindValue(r.card);
    q.addBindValue(r.holder.name);
    q.addBindValue(r.holder.department);
    q.addBindValue(r.holder.position);
    q.addBindValue(r.holder.idNumber);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    NameKey::fill(db, QStringLiteral("people"));
    return true;
}

// The controller's row and its holder, after its echo, in one transaction.
// `replace` deletes the card's old row on that controller first.
bool writeIssued(QSqlDatabase db, const CardRequest& r, int address, const QString& physical, bool replace,
                 QString* error)
{
    Transaction t(db);
    if (!t.begun()) {
        *error = db.lastError().text();
        return false;
    }
    if (replace) {
        QSqlQuery del(db);
        del.prepare(QStringLiteral("DELETE FROM faka WHERE 地址 = ? AND 卡号 = ?"));
        del.addBindValue(address);
        del.addBindValue(r.card);
        if (!del.exec()) {
            *error = del.lastError().text();
            return false;
        }
    }
    if (!CardRows::insertIssued(db, address, r.card, physical, r.limits(), error) || !writeHolder(db, r, error))
        return false;
    if (!t.commit()) {
        *error = db.lastError().text();
        return false;
    }
    return true;
}

// The card has left the controller: its issued row moves into the removed
// cards. The report when the database could not record that.
std::optional<StepReport> recordRemoval(QSqlDatabase db, int address, const QString& card, const QDate& today)
{
    QString error;
    Transaction t(db);
    if (!t.begun() || !CardRows::moveToHistory(db, address, card, today, &error) || !t.commit())
        return report(Outcome::RemovalUnrecorded, error.isEmpty() ? db.lastError().text() : error);
    return std::nullopt;
}

}  // namespace

CardLimits CardRequest::limits() const
{
    CardLimits l;
    if (dateOn) {
        l.startDate = startDate;
        l.endDate = endDate;
    }
    if (weekOn) {
        l.weekStart = weekStart;
        l.weekEnd = weekEnd;
    }
    if (timeOn) {
        l.startTime = startTime;
        l.endTime = endTime;
    }
    l.lock1Mode = lock1Mode.value_or(0);
    l.lock2Mode = lock2Mode.value_or(0);
    return l;
}

QString CardRequest::paddedPhysical() const
{
    return CardNumbers::paddedPhysical(physical).value_or(physical);
}

namespace CardIssuing {

QStringList cardNumbers(QSqlDatabase db)
{
    return BoundQuery::firstColumn(db, QStringLiteral("SELECT 卡号 FROM people ORDER BY rowid"));
}

std::optional<Refusal> checkAdd(QSqlDatabase db, const CardRequest& r)
{
    if (r.card.isEmpty())
        return Refusal::NoCard;
    if (!CardNumbers::isCardNumber(r.card))
        return Refusal::CardNotSixDigits;
    if (r.physical.isEmpty())
        return Refusal::NoPhysical;
    if (!CardNumbers::paddedPhysical(r.physical))
        return Refusal::PhysicalNotTenDigits;
    if (r.addressListEmpty)
        return Refusal::NoControllers;
    if (r.addresses.isEmpty())
        return Refusal::NoAddressPicked;
    if (auto held = physicalHeldByOther(db, r.paddedPhysical(), r.card))
        return held;
    if (auto t = checkTimes(r))
        return t;
    if (auto d = checkDates(r))
        return d;
    return checkModes(r);
}

std::optional<Refusal> checkChange(QSqlDatabase db, const CardRequest& r)
{
    if (auto held = r.physical.isEmpty() ? std::nullopt : physicalHeldByOther(db, r.paddedPhysical(), r.card))
        return held;
    if (r.card.isEmpty())
        return Refusal::NoCard;
    if (!CardNumbers::isCardNumber(r.card))
        return Refusal::CardNotSixDigits;
    if (r.physical.isEmpty())
        return Refusal::NoPhysical;
    if (r.physical.size() != 10)
        return Refusal::PhysicalNotTenLong;
    if (!NumberText::allDigits(r.physical))
        return Refusal::PhysicalNotDigits;
    if (r.addresses.isEmpty())
        return Refusal::NoAddressPicked;
    if (auto t = checkTimes(r))
        return t;
    if (auto d = checkDates(r))
        return d;
    if (r.weekOn && r.weekEnd < r.weekStart)
        return Refusal::WeekdaysReversed;
    if (auto i = checkIssued(db, r.card))
        return i;
    return checkModes(r);
}

std::optional<Refusal> check(CardCommand command, QSqlDatabase db, const CardRequest& r)
{
    switch (command) {
    case CardCommand::Add:
        return checkAdd(db, r);
    case CardCommand::Change:
        return checkChange(db, r);
    case CardCommand::Delete:
        break;
    }
    return checkDelete(db, r);
}

std::optional<Refusal> checkDateRange(const QDate& start, const QDate& end)
{
    if (start > end)
        return Refusal::DatesReversed;
    // The controller keeps two digits of a year: a day outside its century
    // would reach it as another day, 2100 as 2000.
    if (!YearByte::holds(start) || !YearByte::holds(end))
        return Refusal::DateOutsideYears;
    return std::nullopt;
}

std::optional<Refusal> checkIssued(QSqlDatabase db, const QString& card)
{
    return notIssued(db, card);
}

std::optional<Refusal> checkDelete(QSqlDatabase db, const CardRequest& r)
{
    if (r.card.isEmpty())
        return Refusal::NoCard;
    if (r.physical.isEmpty())
        return Refusal::NoCard;
    if (r.physical.size() != 10)
        return Refusal::PhysicalNotTenLong;
    if (!NumberText::allDigits(r.physical))
        return Refusal::PhysicalNotDigits;
    if (!CardNumbers::isCardNumber(r.card))
        return Refusal::CardNotSixDigits;
    if (auto none = notIssued(db, r.card))
        return none;
    if (r.addresses.isEmpty())
        return Refusal::NoAddressPicked;
    return std::nullopt;
}

StepReport addOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                  const CardSendOptions& options)
{
    QString unread;
    const std::optional<bool> held = CardRows::holds(db, address, r.card, &unread);
    if (!held)
        return report(Outcome::Unreadable, unread);
    if (*held)
        return report(Outcome::AlreadyHeld);
    const CardResult sent = addtodoor(comm, address, r.physical, r.card, r.limits(), options);
    if (sent.outcome == CardOutcome::Refused)
        return report(Outcome::Refused);
    if (!sent.ok())
        return unacknowledged(sent);
    QString error;
    if (!writeIssued(db, r, address, sent.physical, false, &error))
        return report(Outcome::Unrecorded, error);
    return report(Outcome::Done);
}

StepReport changeOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                     const CardSendOptions& options, const QDate& today,
                     const std::function<bool(const CardResult&)>& offerRetry)
{
    QString unread;
    const std::optional<bool> held = CardRows::holds(db, address, r.card, &unread);
    if (!held)
        return report(Outcome::Unreadable, unread);
    if (!*held)
        return report(Outcome::NotHeld);
    const CardResult removed = delfromdoor(comm, address, r.card, options);
    if (removed.outcome == CardOutcome::Refused)
        return report(Outcome::Refused);
    if (!removed.ok())
        return unacknowledged(removed);
    for (;;) {
        const CardResult sent = addtodoor(comm, address, r.physical, r.card, r.limits(), options);
        if (sent.ok()) {
            QString error;
            if (!writeIssued(db, r, address, sent.physical, true, &error))
                return report(Outcome::Unrecorded, error);
            return report(Outcome::Done);
        }
        // A card that cannot be encoded would fail the same way again.
        if (sent.outcome == CardOutcome::Refused)
            break;
        if (!offerRetry(sent))
            break;
    }
    // Whatever the add left in the controller, the card is off that door
    // only once a second DeleteCard is acknowledged.
    if (!delfromdoor(comm, address, r.card, options).ok())
        return report(Outcome::Undetermined);
    if (auto unrecorded = recordRemoval(db, address, r.card, today))
        return *unrecorded;
    return report(Outcome::RemovedUnchanged);
}

StepReport deleteOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                     const CardSendOptions& options, const QDate& today)
{
    QString unread;
    const std::optional<bool> held = CardRows::holds(db, address, r.card, &unread);
    if (!held)
        return report(Outcome::Unreadable, unread);
    if (!*held)
        return report(Outcome::Passed);
    const CardResult removed = delfromdoor(comm, address, r.card, options);
    if (removed.outcome == CardOutcome::Refused)
        return report(Outcome::Refused);
    if (!removed.ok())
        return unacknowledged(removed);
    if (auto unrecorded = recordRemoval(db, address, r.card, today))
        return *unrecorded;
    return report(Outcome::Done);
}

ShownLimits shownLimits(const QSqlRecord& row, const QDate& today)
{
    ShownLimits s;
    const QVariant w1 = row.value(QStringLiteral("开始星期")), w2 = row.value(QStringLiteral("截止星期"));
    if (!w1.isNull() && !w2.isNull() && (w1.toInt() != 0 || w2.toInt() != 0)) {
        s.weekOn = true;
        s.weekStart = w1.toInt() >= 1 && w1.toInt() <= 7 ? w1.toInt() - 1 : -1;
        s.weekEnd = w2.toInt() >= 1 && w2.toInt() <= 7 ? w2.toInt() - 1 : -1;
    }
    const QTime t1 = DateText::toTime(row.value(QStringLiteral("开始时间")));
    const QTime t2 = DateText::toTime(row.value(QStringLiteral("截止时间")));
    const QTime midnight(0, 0);
    if (t1.isValid() && t2.isValid() && (t1 != midnight || t2 != midnight)) {
        s.timeOn = true;
        s.startTime = t1;
        s.endTime = t2;
    }
    const QDate d1 = DateText::toDate(row.value(QStringLiteral("开始日期")));
    const QDate d2 = DateText::toDate(row.value(QStringLiteral("截止日期")));
    s.startDate = d1.isValid() ? d1 : today;
    s.endDate = d2.isValid() ? d2 : today;
    s.dateOn = d2.isValid();
    auto mode = [](const QVariant& v) -> std::optional<int> {
        bool ok = false;
        const int m = v.toInt(&ok);
        if (v.isNull() || !ok || m < 0 || m > 3)
            return std::nullopt;
        return m;
    };
    s.lock1Mode = mode(row.value(QStringLiteral("ctrl_state1")));
    s.lock2Mode = mode(row.value(QStringLiteral("ctrl_state2")));
    return s;
}

Lookup lookup(QSqlDatabase db, const QString& card, const QDate& today)
{
    Lookup out;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT * FROM fakapl WHERE 卡号 = ? ORDER BY 地址"));
    q.addBindValue(card);
    if (q.exec() && q.next()) {
        out.issued = true;
        const QSqlRecord row = q.record();
        out.holder = CardHolder{row.value(QStringLiteral("姓名")).toString(), row.value(QStringLiteral("部门")).toString(),
                                row.value(QStringLiteral("职务")).toString(),
                                row.value(QStringLiteral("身份证号")).toString()};
        out.physical = row.value(QStringLiteral("物理卡号")).toString();
        out.limits = shownLimits(row, today);
        QSqlQuery held(db);
        held.prepare(QStringLiteral("SELECT DISTINCT d.地址 FROM faka f JOIN doors d ON f.地址 = d.地址 "
                                    "WHERE f.卡号 = ? ORDER BY d.地址"));
        held.addBindValue(card);
        if (held.exec()) {
            while (held.next())
                out.heldAddresses << held.value(0).toInt();
        }
        return out;
    }
    QSqlQuery p(db);
    p.prepare(QStringLiteral("SELECT 姓名, 部门, 职务, 身份证号 FROM people WHERE 卡号 = ?"));
    p.addBindValue(card);
    if (p.exec() && p.next())
        out.holder = CardHolder{p.value(0).toString(), p.value(1).toString(), p.value(2).toString(),
                                p.value(3).toString()};
    return out;
}

std::optional<ShownLimits> limitsAt(QSqlDatabase db, int address, const QString& card, const QDate& today)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT * FROM faka WHERE 地址 = ? AND 卡号 = ?"));
    q.addBindValue(address);
    q.addBindValue(card);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return shownLimits(q.record(), today);
}

}  // namespace CardIssuing
