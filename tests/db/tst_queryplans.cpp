// Every order of every query window follows an index: its first page
// shows without the database sorting every row the filter keeps.

#include "support/TestHome.h"

#include "attendance/AttendanceQuery.h"
#include "cards/IssuedCardQuery.h"
#include "cards/RemovedCardQuery.h"
#include "db/BoundQuery.h"
#include "people/Personnel.h"
#include "records/RecordQuery.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const QDate kFirst(2024, 3, 1), kLast(2024, 3, 31);

// The executed statement of `window` in its order `order` (a position in
// its order list) with the filter `filter` set.
QSqlQuery query(QSqlDatabase db, const QString& window, int order, const QString& filter)
{
    const bool some = filter != QLatin1String("none");
    if (window == QLatin1String("records")) {
        RecordFilter f;
        f.order = order;
        if (filter == QLatin1String("days"))
            f.days = std::pair(kFirst, kLast);
        else if (filter == QLatin1String("times"))
            f.times = std::pair(QTime(8, 0), QTime(18, 0));
        else if (some)
            f.address = 7;
        const RecordStatement s = RecordQuery::statement(f);
        return BoundQuery::scrollable(db, s.sql, s.values);
    }
    if (window == QLatin1String("issued cards")) {
        IssuedCardQuery::Filter f;
        f.order = IssuedCardQuery::orderOf(IssuedCardQuery::orderItems().at(order));
        if (filter == QLatin1String("department"))
            f.department = QStringLiteral("一号楼");
        else if (some)
            f.address = QStringLiteral("7");
        return IssuedCardQuery::gridQuery(db, f);
    }
    if (window == QLatin1String("removed cards")) {
        RemovedCardQuery::Filter f;
        f.order = RemovedCardQuery::orderOf(RemovedCardQuery::orderNames().at(order));
        if (some)
            f.removed = std::pair(kFirst, kLast);
        return RemovedCardQuery::gridQuery(db, f);
    }
    if (window == QLatin1String("attendance")) {
        AttendanceQuery::Filter f;
        f.order = order;
        f.byDate = some;
        f.first = kFirst;
        f.last = kLast;
        const AttendanceQuery::Statement s = AttendanceQuery::statement(f);
        return BoundQuery::scrollable(db, s.sql, s.values);
    }
    Personnel::Filter f;
    f.range = true;
    f.first = QStringLiteral("000001");
    f.last = QStringLiteral("999999");
    return Personnel::gridQuery(db, f);
}

}  // namespace

class TestQueryPlans : public QObject {
    Q_OBJECT
private slots:
    void everyOrderFollowsAnIndex_data();
    void everyOrderFollowsAnIndex();
};

void TestQueryPlans::everyOrderFollowsAnIndex_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("filter");
    // A card, a name or a single day picks few rows, which sort at once;
    // the filters here keep many. (One door's records are sorted by
    // department or name.)
    const struct {
        const char* window;
        int orders;
        QStringList filters;
    } windows[] = {
        {"records", 6, {"none", "days", "times", "address"}},
        {"issued cards", 3, {"none", "department", "address"}},
        {"removed cards", 5, {"none", "days"}},
        {"attendance", 4, {"none", "days"}},
        {"people", 1, {"card range"}},
    };
    for (const auto& w : windows)
        for (int order = 0; order < w.orders; ++order)
            for (const QString& filter : w.filters)
                if (!(w.orders == 6 && order >= 4 && filter == QLatin1String("address")))
                    QTest::addRow("%s %d %s", w.window, order + 1, qPrintable(filter))
                        << QString::fromLatin1(w.window) << order << filter;
}

void TestQueryPlans::everyOrderFollowsAnIndex()
{
    QFETCH(QString, window);
    QFETCH(int, order);
    QFETCH(QString, filter);
    TestHome home;
    const QSqlQuery q = query(home.db(), window, order, filter);
    QVERIFY(q.isActive());
    QSqlQuery plan = BoundQuery::scrollable(home.db(), QStringLiteral("EXPLAIN QUERY PLAN ") + q.lastQuery(),
                                            q.boundValues());
    QStringList steps;
    while (plan.next())
        steps << plan.value(3).toString();
    QVERIFY(!steps.isEmpty());
    QVERIFY2(!steps.contains(QStringLiteral("USE TEMP B-TREE FOR ORDER BY")), qPrintable(steps.join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(TestQueryPlans)
#include "tst_queryplans.moc"
