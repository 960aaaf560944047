#include "attendance/WorkTimes.h"

#include "db/DateText.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace WorkTimes {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

// Minutes forward from a to b round the clock, seconds dropped.
int forwardMinutes(const QTime& a, const QTime& b)
{
    const int m = (b.hour() * 60 + b.minute()) - (a.hour() * 60 + a.minute());
    return ((m % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
}

QTime shifted(const QTime& t, int minutes)
{
    return t.isValid() ? t.addSecs(minutes * 60) : QTime();
}

}  // namespace

SessionTimes defaults()
{
    return {QTime(8, 30), QTime(11, 30), QTime(13, 30), QTime(17, 30)};
}

std::optional<WorkTimeRow> load(QSqlDatabase db, QString* error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT 上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let FROM owt "
                               "ORDER BY rowid LIMIT 1"))) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    WorkTimeRow r;
    r.sessions = {DateText::toTime(q.value(0)), DateText::toTime(q.value(1)), DateText::toTime(q.value(2)),
                  DateText::toTime(q.value(3))};
    r.lateMorning = DateText::toTime(q.value(4));
    r.earlyMorning = DateText::toTime(q.value(5));
    r.lateAfternoon = DateText::toTime(q.value(6));
    r.earlyAfternoon = DateText::toTime(q.value(7));
    return r;
}

std::optional<SessionTimes> sessionsOf(const WorkTimeRow& row)
{
    const SessionTimes& s = row.sessions;
    if (!s.morningStart.isValid() || !s.morningEnd.isValid() || !s.afternoonStart.isValid() ||
        !s.afternoonEnd.isValid())
        return std::nullopt;
    return s;
}

Tolerances tolerancesOf(const WorkTimeRow& row)
{
    Tolerances t;
    if (row.sessions.morningStart.isValid() && row.lateMorning.isValid())
        t.late = forwardMinutes(row.sessions.morningStart, row.lateMorning);
    if (row.sessions.morningEnd.isValid() && row.earlyMorning.isValid())
        t.early = forwardMinutes(row.earlyMorning, row.sessions.morningEnd);
    return t;
}

WorkTimeRow withThresholds(const SessionTimes& s, const Tolerances& t)
{
    WorkTimeRow r;
    r.sessions = s;
    r.lateMorning = shifted(s.morningStart, t.late);
    r.earlyMorning = shifted(s.morningEnd, -t.early);
    r.lateAfternoon = shifted(s.afternoonStart, t.late);
    r.earlyAfternoon = shifted(s.afternoonEnd, -t.early);
    return r;
}

Problem check(const SessionTimes& s, const Tolerances& t)
{
    if (s.morningEnd < s.morningStart)
        return Problem::MorningOutOfOrder;
    if (s.afternoonEnd < s.afternoonStart)
        return Problem::AfternoonOutOfOrder;
    if (s.afternoonStart < s.morningEnd)
        return Problem::AfternoonBeforeMorning;
    if (t.late < 0 || t.late > kMaxTolerance || t.early < 0 || t.early > kMaxTolerance)
        return Problem::ToleranceOutOfRange;
    return Problem::None;
}

QString message(Problem problem, const QString& detail)
{
    switch (problem) {
    case Problem::None: return QString();
    case Problem::MorningOutOfOrder: return QStringLiteral("上午的下班时间早于上班时间，请改正！");
    case Problem::AfternoonOutOfOrder: return QStringLiteral("下午的下班时间早于上班时间，请改正！");
    case Problem::AfternoonBeforeMorning: return QStringLiteral("下午的上班时间早于上午的下班时间，请改正！");
    case Problem::ToleranceOutOfRange:
        return QStringLiteral("迟到、早退的分钟数只能是0到%1！").arg(kMaxTolerance);
    case Problem::Failed: return QStringLiteral("上下班时间没有保存：%1").arg(detail);
    }
    return detail;
}

SaveResult save(QSqlDatabase db, const SessionTimes& sessions, const Tolerances& tolerances)
{
    SaveResult result;
    result.problem = check(sessions, tolerances);
    if (!result.ok())
        return result;
    auto failed = [&](const QSqlQuery& q) {
        result.problem = Problem::Failed;
        result.error = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        return result;
    };

    const WorkTimeRow r = withThresholds(sessions, tolerances);
    const QVariantList values{DateText::bindTime(r.sessions.afternoonStart), DateText::bindTime(r.sessions.afternoonEnd),
                              DateText::bindTime(r.lateAfternoon),           DateText::bindTime(r.earlyAfternoon),
                              DateText::bindTime(r.sessions.morningStart),   DateText::bindTime(r.sessions.morningEnd),
                              DateText::bindTime(r.lateMorning),             DateText::bindTime(r.earlyMorning)};
    Transaction tx(db);
    QSqlQuery q(db);
    if (!tx.begun() || !q.exec(QStringLiteral("SELECT min(rowid) FROM owt")) || !q.next())
        return failed(q);
    const QVariant first = q.value(0);
    q.finish();
    if (first.isNull())
        q.prepare(QStringLiteral("INSERT INTO owt (timeB, timeE, lat, let, 上班时间, 下班时间, 迟到时间, 早退时间) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    else
        q.prepare(QStringLiteral("UPDATE owt SET timeB = ?, timeE = ?, lat = ?, let = ?, 上班时间 = ?, 下班时间 = ?, "
                                 "迟到时间 = ?, 早退时间 = ? WHERE rowid = ?"));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!first.isNull())
        q.addBindValue(first);
    if (!q.exec() || !tx.commit())
        return failed(q);
    return result;
}

}  // namespace WorkTimes
