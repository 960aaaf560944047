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

class TestQueryPlans : public QObject {
    Q_OBJECT
private slots:
    void everyOrderFollowsAnIndex();
};

void TestQueryPlans::everyOrderFollowsAnIndex()
{
    TestHome home;
    const QDate first(2024, 3, 1), last(2024, 3, 31);
    // Filters that keep many rows (a card, a name or a day keeps few, which
    // sort at once; so do one door's records by department or name).
    QList<QSqlQuery> queries;
    for (int order = 0; order < 6; ++order)
        for (int filter = 0; filter < (order < 4 ? 4 : 3); ++filter) {
            RecordFilter f{filter == 1 ? std::optional(std::pair(first, last)) : std::nullopt,
                           filter == 2 ? std::optional(std::pair(QTime(8, 0), QTime(18, 0))) : std::nullopt,
                           filter == 3 ? std::optional(7) : std::nullopt, {}, {}, order};
            queries << BoundQuery::scrollable(home.db(), RecordQuery::statement(f).sql, RecordQuery::statement(f).values);
        }
    for (int order = 0; order < 4; ++order)
        for (int filter = 0; filter < 2; ++filter) {
            const AttendanceQuery::Statement s = AttendanceQuery::statement({filter == 1, first, last, false, {}, false, {}, false, {}, order});
            queries << BoundQuery::scrollable(home.db(), s.sql, s.values);
        }
    for (const QString& order : IssuedCardQuery::orderItems())
        for (int filter = 0; filter < 3; ++filter)
            queries << IssuedCardQuery::gridQuery(home.db(), {filter == 1 ? std::optional(QStringLiteral("一号楼")) : std::nullopt, {},
                                                              filter == 2 ? std::optional(QStringLiteral("7")) : std::nullopt, {},
                                                              IssuedCardQuery::orderOf(order)});
    for (const QString& order : RemovedCardQuery::orderNames())
        for (bool days : {false, true})
            queries << RemovedCardQuery::gridQuery(home.db(), {{}, {}, {}, days ? std::optional(std::pair(first, last)) : std::nullopt,
                                                               RemovedCardQuery::orderOf(order)});
    queries << Personnel::gridQuery(home.db(), {true, QStringLiteral("000001"), QStringLiteral("999999")});
    QStringList sorted;
    for (const QSqlQuery& q : queries) {
        QSqlQuery plan = BoundQuery::scrollable(home.db(), QStringLiteral("EXPLAIN QUERY PLAN ") + q.lastQuery(), q.boundValues());
        QVERIFY2(plan.next(), qPrintable(q.lastQuery()));
        do {
            if (plan.value(3).toString() == QLatin1String("USE TEMP B-TREE FOR ORDER BY"))
                sorted << q.lastQuery();
        } while (plan.next());
    }
    QCOMPARE(queries.size(), 50);
    QCOMPARE(sorted, QStringList());
}

QTEST_GUILESS_MAIN(TestQueryPlans)
#include "tst_queryplans.moc"
