// A filter that keeps many rows follows its order's index, so no first page waits for a sort of them all;
// one that keeps few, or none, is sought by its own index, so none walks a whole table. By department a door's
// many records are sorted (its building's people pass it, late in the walk): read from an index alone.

#include "support/TestHome.h"
#include "attendance/AttendanceQuery.h"
#include "cards/IssuedCardQuery.h"
#include "cards/RemovedCardQuery.h"
#include "db/BoundQuery.h"
#include "db/QueryWays.h"
#include "people/Personnel.h"
#include "records/RecordQuery.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

enum Window { Records, Issued, Removed, Attendance, People };
enum Way { Walked, Sought, Sorted };
constexpr int kMany = QueryWays::kFew + 1;

// The filter of `window` named `f` (several joined by "+"), in `order` (-1: none).
QSqlQuery query(QSqlDatabase db, int window, int order, const QString& f)
{
    const auto has = [&](const char* name) { return f.split(QLatin1Char('+')).contains(QLatin1String(name)); };
    const auto days = [&](int y, int m, int endM) {
        return std::optional(std::pair(QDate(y, m, 1), QDate(y, endM, 28)));
    };
    const auto range = has("days") ? days(2024, 3, 3) : has("fewdays") ? days(2023, 1, 1) : has("nodays") ? days(2022, 1, 12) : std::nullopt;
    const auto text = [&](const char* name, const char* value) { return has(name) ? std::optional(QString::fromUtf8(value)) : std::nullopt; };
    const auto dept = has("dept") ? text("dept", "一号楼") : has("fewdept") ? text("fewdept", "二号楼") : text("nodept", "无此楼");
    const auto door = has("door") ? text("door", "7") : text("fewdoor", "8");
    const auto bound = [&](const auto& s) { return BoundQuery::scrollable(db, s.sql, s.values); };
    switch (window) {
    case Records:
        return bound(RecordQuery::statement(
            db, {range, has("times") ? std::optional(std::pair(QTime(8, 0), QTime(18, 0))) : has("fewtimes") ? std::optional(std::pair(QTime(3, 0), QTime(3, 2))) : std::nullopt,
                 door ? std::optional(door->toInt()) : std::nullopt, text("card", "000001"), text("name", "业主1"), order}));
    case Issued:
        return IssuedCardQuery::gridQuery(db, {dept, text("name", "业主1"), door, text("card", "000001"), IssuedCardQuery::Order(order + 1)});
    case Removed:
        return RemovedCardQuery::gridQuery(db, {dept, text("name", "业主1"), text("card", "000001"), range, RemovedCardQuery::Order(order + 1)});
    case Attendance:
        return AttendanceQuery::gridQuery(db, {bool(range), range ? range->first : QDate(), range ? range->second : QDate(), has("card"), "000001",
                                               has("name"), "业主1", bool(dept), dept.value_or(QString()), order});
    default: return Personnel::gridQuery(db, {true, QStringLiteral("000001"), QStringLiteral("999999")});
    }
}

}  // namespace

class TestQueryPlans : public QObject {
    Q_OBJECT
    std::optional<TestHome> home;
private slots:
    void initTestCase()
    {
        // Each table holds kMany rows of one department, one door, March 2024 and 08:00 to 18:00, and thirty more
        // of another department, another door, January 2023 and 03:00.
        home.emplace();
        const QString n = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(kMany + 30);
        const QString many = QStringLiteral("i <= %1").arg(kMany);
        const auto either = [&](const char* a, const char* b) { return QStringLiteral("CASE WHEN ") + many + " THEN " + a + " ELSE " + b + " END"; };
        const QString card = QStringLiteral("printf('%06d', i)"), name = QStringLiteral("'业主' || i"), dept = either("'一号楼'", "'二号楼'"),
                      door = either("7", "8"), day = either("'2024-03-'", "'2023-01-'") + " || printf('%02d', i % 28 + 1)",
                      time = either("time(28800 + i % 36000, 'unixepoch')", "'03:00:' || printf('%02d', i % 60)");
        for (const QString& insert : {"people (卡号, 姓名, 部门) SELECT " + QStringList{card, name, dept}.join(','),
                                      "faka (地址, 卡号) SELECT " + QStringList{door, card}.join(','),
                                      "dfaka (地址, 卡号, 姓名, 部门, 日期) SELECT " + QStringList{door, card, name, dept, day}.join(','),
                                      "datakq (卡号, 日期, 姓名, 部门) SELECT " + QStringList{card, day, name, dept}.join(','),
                                      "data (地址, 卡号, 日期, 时间, flag) SELECT " + QStringList{door, card, day, time, "1"}.join(',')})
            home->exec(n + QStringLiteral("INSERT INTO ") + insert + QStringLiteral(" FROM n"));
    }
    void cleanupTestCase() { home.reset(); }

    void everyOrderAndFilter_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("way");
        const struct {
            Window window;
            int orders;
            QStringList many, few;
        } windows[] = {
            {Records, 6, {"", "days", "times", "door"}, {"fewdays", "nodays", "fewtimes", "fewdoor", "card", "name", "door+fewdays", "days+times+fewdoor"}},
            {Issued, 3, {"", "dept", "door"}, {"fewdept", "nodept", "fewdoor", "card", "name", "dept+fewdoor"}},
            {Removed, 5, {"", "days", "dept"}, {"fewdays", "nodays", "fewdept", "card", "name", "dept+fewdays"}},
            {Attendance, 4, {"", "days", "dept"}, {"fewdays", "nodays", "fewdept", "card", "name", "dept+fewdays"}},
        };
        for (const auto& w : windows)
            for (int order = -1; order < w.orders; ++order)
                for (bool many : {true, false})
                    for (const QString& f : many ? w.many : w.few)
                        if (!many || order >= 0) {
                            const bool sorted = many && w.window == Records && order == 4 && f == QLatin1String("door");
                            QTest::addRow("%d %d %s", w.window, order, qPrintable(f))
                                << int(w.window) << order << f << int(sorted ? Sorted : many ? Walked : Sought);
                        }
        QTest::newRow("people by card range") << int(People) << 0 << QString() << int(Walked);
    }

    void everyOrderAndFilter()
    {
        QFETCH(int, window);
        QFETCH(int, order);
        QFETCH(QString, filter);
        QFETCH(int, way);
        const QSqlQuery q = query(home->db(), window, order, filter);
        QVERIFY2(q.isActive(), qPrintable(q.lastQuery()));
        QSqlQuery plan = BoundQuery::scrollable(home->db(), QStringLiteral("EXPLAIN QUERY PLAN ") + q.lastQuery(), q.boundValues());
        QStringList steps;
        while (plan.next())
            steps << plan.value(3).toString();
        QVERIFY2(!steps.isEmpty(), qPrintable(q.lastQuery()));
        for (const QString& step : steps)
            QVERIFY2(way == Walked ? step != QLatin1String("USE TEMP B-TREE FOR ORDER BY")
                                   : !step.startsWith(QLatin1String("SCAN")) &&
                                         !(way == Sorted && step.startsWith(QLatin1String("SEARCH data USING INDEX"))),
                     qPrintable(q.lastQuery() + QLatin1Char('\n') + steps.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestQueryPlans)
#include "tst_queryplans.moc"
