// Every order of every query window follows an index, so no filter sorts every row it keeps.

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
    void everyOrderFollowsAnIndex()
    {
        TestHome home;
        const QDate first(2024, 3, 1), last(2024, 3, 31);
        const auto days = std::optional(std::pair(first, last));
        // Filters that keep many rows (a card, a name, a day or one door's records by department or name keep few).
        QList<QSqlQuery> queries;
        const auto bound = [&](const auto& s) { return BoundQuery::scrollable(home.db(), s.sql, s.values); };
        for (int order = 0; order < 6; ++order)
            for (int filter = 0; filter < (order < 4 ? 4 : 3); ++filter)
                queries << bound(RecordQuery::statement({filter == 1 ? days : std::nullopt,
                                                         filter == 2 ? std::optional(std::pair(QTime(8, 0), QTime(18, 0))) : std::nullopt,
                                                         filter == 3 ? std::optional(7) : std::nullopt, {}, {}, order}));
        for (int order = 0; order < 4; ++order)
            for (int filter = 0; filter < 2; ++filter)
                queries << bound(AttendanceQuery::statement({filter == 1, first, last, false, {}, false, {}, false, {}, order}));
        for (const QString& order : IssuedCardQuery::orderItems())
            for (int filter = 0; filter < 3; ++filter)
                queries << IssuedCardQuery::gridQuery(home.db(), {filter == 1 ? std::optional(QStringLiteral("一号楼")) : std::nullopt, {},
                                                                  filter == 2 ? std::optional(QStringLiteral("7")) : std::nullopt, {}, IssuedCardQuery::orderOf(order)});
        for (const QString& order : RemovedCardQuery::orderNames())
            for (bool byDay : {false, true})
                queries << RemovedCardQuery::gridQuery(home.db(), {{}, {}, {}, byDay ? days : std::nullopt, RemovedCardQuery::orderOf(order)});
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
};

QTEST_GUILESS_MAIN(TestQueryPlans)
#include "tst_queryplans.moc"
