// Daily attendance processing of 1,000 people: one month (about 124,000
// punches) and one year (about 1.5 million). Before timing, a month's
// result is checked against a reference that asks the database for each
// card and day separately.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_attendance
//   ./build/bench/bench_attendance

#include "BenchSupport.h"

#include "attendance/AttendanceProcessing.h"
#include "attendance/PunchSelection.h"
#include "attendance/WorkTimes.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPeople = 1000;
const QDate kYearStart(2023, 1, 1);
const QDate kMonthStart(2023, 3, 1), kMonthEnd(2023, 3, 31);

// A day of one person: usually four punches round the session times,
// now and then one missing, a repeat, a lunch-break punch or a late night.
QList<QTime> dayOf(quint32& seed)
{
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    QList<QTime> out;
    const QTime base[] = {QTime(8, 10), QTime(11, 20), QTime(13, 10), QTime(17, 20)};
    for (const QTime& b : base)
        if (next(20) != 0)
            out << b.addSecs(next(40 * 60));
    switch (next(12)) {
    case 0: out << QTime(12, 0).addSecs(next(3600)); break;
    case 1: if (!out.isEmpty()) out << out.first(); break;
    case 2: out << QTime(19, 0).addSecs(next(7200)); break;
    default: break;
    }
    return out;
}

class Home : public BenchHome {
public:
    Home()
    {
        QSqlDatabase db = Database::shared();
        if (!WorkTimes::save(db, WorkTimes::defaults(), {5, 5}).ok())
            qFatal("cannot store the work times");
        Transaction tx(db);
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES (?, ?, ?, '职员')"));
        for (int i = 1; i <= kPeople; ++i) {
            q.addBindValue(card(i));
            q.addBindValue(QStringLiteral("员工%1").arg(i));
            q.addBindValue(QStringLiteral("%1号楼").arg(i % 20 + 1));
            if (!q.exec())
                qFatal("cannot add people");
        }
        q.prepare(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, ?, ?, 1, '1')"));
        quint32 seed = 7;
        for (QDate d = kYearStart; d.year() == kYearStart.year(); d = d.addDays(1)) {
            const QString day = DateText::fromDate(d);
            // Card 1,001 has no person: its punches go nowhere.
            for (int i = 1; i <= kPeople + 1; ++i) {
                for (const QTime& t : dayOf(seed)) {
                    q.addBindValue(i % 8);
                    q.addBindValue(card(i));
                    q.addBindValue(day);
                    q.addBindValue(DateText::fromTime(t));
                    if (!q.exec())
                        qFatal("cannot add punches");
                    ++punches_;
                }
            }
        }
        if (!tx.commit())
            qFatal("cannot fill the benchmark database");
    }

    static QString card(int i) { return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')); }
    qint64 punches() const { return punches_; }

private:
    qint64 punches_ = 0;
};

Home* home = nullptr;

// Each row as text, from the database's rows of the range in key order.
QStringList storedRows(QSqlDatabase db, const QDate& first, const QDate& last, int cards)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, hrs, late, leavee, absent "
                             "FROM datakq WHERE 日期 BETWEEN ? AND ? AND 卡号 <= ? ORDER BY 卡号, 日期"));
    q.addBindValue(DateText::fromDate(first));
    q.addBindValue(DateText::fromDate(last));
    q.addBindValue(Home::card(cards));
    q.exec();
    QStringList out;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < 13; ++i)
            f << (i == 9 ? QString::number(q.value(i).toDouble(), 'f', 2) : q.value(i).toString());
        out << f.join(QLatin1Char('|'));
    }
    return out;
}

// The same rows worked out one card and one day at a time.
QStringList referenceRows(QSqlDatabase db, const QDate& first, const QDate& last, int cards)
{
    const SessionTimes s = *WorkTimes::sessionsOf(*WorkTimes::load(db));
    QStringList out;
    QSqlQuery person(db), punches(db);
    person.prepare(QStringLiteral("SELECT 姓名, 部门, 职务 FROM people WHERE 卡号 = ?"));
    punches.prepare(QStringLiteral("SELECT 时间 FROM data WHERE 卡号 = ? AND 日期 = ? ORDER BY 时间"));
    auto text = [](const std::optional<QTime>& t) { return t ? DateText::fromTime(*t) : QString(); };
    for (int i = 1; i <= cards; ++i) {
        person.addBindValue(Home::card(i));
        if (!person.exec() || !person.next())
            continue;
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            punches.addBindValue(Home::card(i));
            punches.addBindValue(DateText::fromDate(d));
            punches.exec();
            QList<QTime> times;
            while (punches.next())
                times << DateText::toTime(punches.value(0));
            const DayPunches p = Attendance::selectPunches(times, s);
            if (p.none())
                continue;
            const DayCounts c = Attendance::countDay(p, s, d);
            out << QStringList{Home::card(i), DateText::fromDate(d), person.value(0).toString(),
                               person.value(1).toString(), person.value(2).toString(), text(p.morningIn),
                               text(p.morningOut), text(p.afternoonIn), text(p.afternoonOut),
                               QString::number(c.hours(), 'f', 2), QString::number(c.late),
                               QString::number(c.leftEarly), QString::number(c.absent)}
                       .join(QLatin1Char('|'));
        }
    }
    return out;
}

void checkAgainstReference()
{
    QSqlDatabase db = Database::shared();
    const AttendanceProcessing::Outcome o = AttendanceProcessing::run(db, kMonthStart, kMonthEnd);
    if (!o.ok())
        qFatal("processing failed: %s", qPrintable(o.message()));
    const QStringList got = storedRows(db, kMonthStart, kMonthEnd, 60);
    const QStringList expected = referenceRows(db, kMonthStart, kMonthEnd, 60);
    if (got != expected || got.isEmpty())
        qFatal("processing differs from the per-card-day reference (%lld rows against %lld)", qint64(got.size()),
               qint64(expected.size()));
}

void process(benchmark::State& state, const QDate& first, const QDate& last)
{
    qint64 rows = 0;
    for (auto _ : state) {
        const AttendanceProcessing::Outcome o = AttendanceProcessing::run(Database::shared(), first, last);
        if (!o.ok())
            state.SkipWithError(qPrintable(o.message()));
        rows = o.rows;
    }
    QSqlQuery q(Database::shared());
    q.prepare(QStringLiteral("SELECT count(*) FROM data WHERE 日期 BETWEEN ? AND ?"));
    q.addBindValue(DateText::fromDate(first));
    q.addBindValue(DateText::fromDate(last));
    q.exec();
    q.next();
    state.counters["punches"] = q.value(0).toDouble();
    state.counters["rows"] = double(rows);
}

void BM_ProcessMonth1000People(benchmark::State& state)
{
    process(state, kMonthStart, kMonthEnd);
}
BENCHMARK(BM_ProcessMonth1000People)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProcessYear1000People(benchmark::State& state)
{
    process(state, kYearStart, QDate(kYearStart.year(), 12, 31));
}
BENCHMARK(BM_ProcessYear1000People)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication, Home>(argc, argv, [](Home& h) {
        home = &h;
        checkAgainstReference();
    });
}
