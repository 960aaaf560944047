#include "attendance/AttendanceProcessing.h"

#include "attendance/PunchSelection.h"
#include "db/DateText.h"
#include "db/NameKey.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace AttendanceProcessing {

namespace {

// The stored time of a record: "HH:mm:ss" parsed by hand, since a year
// of records passes through here; any other form goes the long way.
QTime recordTime(const QVariant& v)
{
    const QString s = v.toString();
    if (s.size() == 8 && s.at(2) == QLatin1Char(':') && s.at(5) == QLatin1Char(':')) {
        auto two = [&](int at) {
            const int a = s.at(at).unicode() - '0', b = s.at(at + 1).unicode() - '0';
            return (a < 0 || a > 9 || b < 0 || b > 9) ? -1 : a * 10 + b;
        };
        const QTime t(two(0), two(3), two(6));
        if (t.isValid())
            return t;
    }
    return DateText::toTime(v);
}

QVariant bindPunch(const std::optional<QTime>& t)
{
    return t ? DateText::bindTime(*t) : QVariant(QMetaType(QMetaType::QString));
}

}  // namespace

QString Outcome::message() const
{
    switch (status) {
    case Status::Done: return QString();
    case Status::NoWorkTimes: return QStringLiteral("请先设置上下班时间！");
    case Status::BadWorkTimes: return WorkTimes::message(problem) + QStringLiteral("（上下班时间设置）");
    case Status::Failed: return QStringLiteral("考勤数据整理失败，原有的考勤数据没有改动：%1").arg(error);
    }
    return error;
}

Outcome run(QSqlDatabase db, const QDate& first, const QDate& last, const Progress& progress)
{
    Outcome out;
    auto failed = [&](const QString& error) {
        out.status = Status::Failed;
        out.error = error;
        out.people = out.rows = 0;
        return out;
    };

    QString error;
    const std::optional<WorkTimeRow> row = WorkTimes::load(db, &error);
    if (!error.isEmpty())
        return failed(error);
    const std::optional<SessionTimes> sessions = row ? WorkTimes::sessionsOf(*row) : std::nullopt;
    if (!sessions) {
        out.status = Status::NoWorkTimes;
        return out;
    }
    out.problem = WorkTimes::check(*sessions, Tolerances{0, 0});
    if (out.problem != WorkTimes::Problem::None) {
        out.status = Status::BadWorkTimes;
        return out;
    }

    QSqlQuery q(db);
    q.setForwardOnly(true);
    int total = 0;
    if (!q.exec(QStringLiteral("SELECT count(*) FROM people")) || !q.next())
        return failed(q.lastError().text());
    total = q.value(0).toInt();
    q.finish();

    Transaction tx(db);
    if (!tx.begun())
        return failed(db.lastError().text());
    const QString from = DateText::fromDate(first), to = DateText::fromDate(last);
    q.prepare(QStringLiteral("DELETE FROM datakq WHERE 日期 BETWEEN ? AND ?"));
    q.addBindValue(from);
    q.addBindValue(to);
    if (!q.exec())
        return failed(q.lastError().text());

    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, "
                                       "hrs, late, leavee, absent, name_key) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return failed(insert.lastError().text());

    q.prepare(QStringLiteral("SELECT d.卡号, d.日期, d.时间, p.姓名, p.部门, p.职务 FROM data d "
                             "JOIN people p ON p.卡号 = d.卡号 WHERE d.日期 BETWEEN ? AND ? "
                             "ORDER BY d.卡号, d.日期, d.时间"));
    q.addBindValue(from);
    q.addBindValue(to);
    if (!q.exec())
        return failed(q.lastError().text());

    QString card, day;
    QVariant name, department, position;
    QList<QTime> times;
    // Writes the day gathered so far; false when the database refuses it.
    auto flush = [&]() {
        if (times.isEmpty())
            return true;
        std::sort(times.begin(), times.end());
        const DayPunches p = Attendance::selectPunches(times, *sessions);
        times.clear();
        if (p.none())
            return true;
        const DayCounts c = Attendance::countDay(p, *sessions, DateText::toDate(day));
        const QVariant values[] = {card, day, name, department, position,
                                   bindPunch(p.morningIn), bindPunch(p.morningOut), bindPunch(p.afternoonIn),
                                   bindPunch(p.afternoonOut), c.hours(), c.late, c.leftEarly, c.absent,
                                   NameKey::of(name.toString())};
        for (int i = 0; i < int(std::size(values)); ++i)
            insert.bindValue(i, values[i]);
        if (!insert.exec())
            return false;
        ++out.rows;
        return true;
    };

    while (q.next()) {
        const QString nextCard = q.value(0).toString();
        const QString nextDay = q.value(1).toString();
        if (nextCard != card || nextDay != day || out.people == 0) {
            if (!flush())
                return failed(insert.lastError().text());
            if (nextCard != card || out.people == 0) {
                if (out.people > 0 && progress)
                    progress(out.people, total);
                ++out.people;
                card = nextCard;
                name = q.value(3);
                department = q.value(4);
                position = q.value(5);
            }
            day = nextDay;
        }
        const QTime t = recordTime(q.value(2));
        if (t.isValid())
            times << t;
    }
    if (q.lastError().isValid())
        return failed(q.lastError().text());
    if (!flush())
        return failed(insert.lastError().text());
    if (!tx.commit())
        return failed(db.lastError().text());
    if (out.people > 0 && progress)
        progress(out.people, total);
    return out;
}

}  // namespace AttendanceProcessing
