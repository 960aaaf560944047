// The first page of every order of every query window, unfiltered and
// filtered, on a site's years: 2,000,000 door-open records, 200,000
// people with a card each, 200,000 removed cards and a year of attendance
// of 2,000 people; and the pick lists filled when a window opens. Each
// figure stands beside its goal (goal_ms).
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_queries
//   ./build/bench/bench_queries

#include "BenchSupport.h"

#include "attendance/AttendanceGridModel.h"
#include "attendance/MonthlySheet.h"
#include "cards/IssuedCardQuery.h"
#include "cards/RemovedCardModel.h"
#include "db/BoundQuery.h"
#include "db/NameKey.h"
#include "db/QueryGridModel.h"
#include "db/Transaction.h"
#include "people/Personnel.h"
#include "records/RecordQuery.h"
#include "session/Session.h"

#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 2000000;
constexpr int kPeople = 200000;
constexpr int kDepartments = 40;
constexpr int kAttendancePeople = 2000;
constexpr double kGoalMs = 200;

class Home : public BenchHome {
public:
    Home()
    {
        QSqlDatabase db = Database::shared();
        Transaction tx(db);
        QSqlQuery q(db);
        const QString numbers = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ");
        // Generated inside the engine: millions of bound inserts would take
        // longer than every benchmark together.
        const QString statements[] = {
            numbers.arg(kPeople) +
                QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) SELECT printf('%06d', i), '业主' || i, "
                               "'阳光花园' || (i % %1 + 1) || '号楼', '职员' FROM n").arg(kDepartments),
            numbers.arg(kPeople) +
                QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) "
                               "SELECT i % 100, printf('%06d', i), printf('%010d', i), 0, 0 FROM n"),
            numbers.arg(kPeople) +
                QStringLiteral("INSERT INTO dfaka (地址, 卡号, 物理卡号, 姓名, 部门, ctrl_state1, ctrl_state2, 日期) "
                               "SELECT i % 100, printf('%06d', i), printf('%010d', i), '住户' || i, "
                               "'阳光花园' || (i % %1 + 1) || '号楼', 0, 0, date('2020-01-01', '+' || (i % 1800) || ' days') FROM n")
                    .arg(kDepartments),
            // A year of passes, each card about ten.
            numbers.arg(kRecords) +
                QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) "
                               "SELECT i % 100, printf('%06d', (i * 7919) % %1 + 1), "
                               "date('2025-01-01', '+' || (i * 365 / %2) || ' days'), time((i * 37) % 86400, 'unixepoch'), "
                               "i % 4 + 1, '锁一进' FROM n")
                    .arg(kPeople)
                    .arg(kRecords),
            numbers.arg(kAttendancePeople * 365) +
                QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, hrs, late, leavee, absent) "
                               "SELECT printf('%06d', i % %1 + 1), date('2025-01-01', '+' || (i / %1) || ' days'), "
                               "'业主' || (i % %1 + 1), '阳光花园' || ((i % %1 + 1) % %2 + 1) || '号楼', '职员', "
                               "'08:31:00', '11:30:00', '13:30:00', '17:30:00', 7.0, 1, 0, 0 FROM n")
                    .arg(kAttendancePeople)
                    .arg(kDepartments),
        };
        for (const QString& s : statements)
            if (!q.exec(s))
                qFatal("cannot fill the benchmark database: %s", qPrintable(q.lastError().text()));
        tx.commit();
        if (!NameKey::fillAll(db))
            qFatal("cannot fill the name keys");
    }
};

void report(benchmark::State& state)
{
    state.counters["goal_ms"] = kGoalMs;
}

// What a grid reads before it paints: the statement run and the first
// page of rows.
void readFirstPage(benchmark::State& state, QAbstractItemModel& model)
{
    const int rows = model.rowCount();
    for (int r = 0; r < std::min(rows, 40); ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            benchmark::DoNotOptimize(model.index(r, c).data());
    if (rows == 0)
        state.SkipWithError("no rows");
}

const char* const kRecordFilters[] = {"none", "month", "daytime", "address", "day", "card", "name"};

// 打卡数据查询: the window's grid and statement.
void BM_RecordsFirstPage(benchmark::State& state)
{
    RecordFilter f;
    f.order = int(state.range(0));
    const QString filter = QString::fromLatin1(kRecordFilters[state.range(1)]);
    if (filter == QLatin1String("month"))
        f.days = std::pair(QDate(2025, 6, 1), QDate(2025, 6, 30));
    else if (filter == QLatin1String("daytime"))
        f.times = std::pair(QTime(8, 0), QTime(18, 0));
    else if (filter == QLatin1String("address"))
        f.address = 7;
    else if (filter == QLatin1String("day"))
        f.days = std::pair(QDate(2025, 6, 2), QDate(2025, 6, 2));
    else if (filter == QLatin1String("card"))
        f.card = QStringLiteral("000123");
    else if (filter == QLatin1String("name"))
        f.name = QStringLiteral("业主123");
    state.SetLabel(qPrintable(RecordQuery::orderItems().at(f.order) + QLatin1Char(' ') + filter));
    const RecordStatement s = RecordQuery::statement(f);
    for (auto _ : state) {
        EditableGridModel model(Session::db(), RecordQuery::gridCaptions(), RecordQuery::recordColumns(),
                                &RecordQuery::writeCell);
        NameKey::fill(Session::db(), QStringLiteral("people"));
        if (!model.run([&](QSqlDatabase reader) { return BoundQuery::scrollable(reader, s.sql, s.values); }))
            state.SkipWithError("the query failed");
        readFirstPage(state, model);
    }
    report(state);
}
BENCHMARK(BM_RecordsFirstPage)
    ->ArgNames({"order", "filter"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), benchmark::CreateDenseRange(0, 6, 1)})
    ->Unit(benchmark::kMillisecond);

// 发卡信息查询.
void BM_IssuedFirstPage(benchmark::State& state)
{
    IssuedCardQuery::Filter f;
    f.order = IssuedCardQuery::Order(state.range(0));
    if (state.range(1) == 1)
        f.department = QStringLiteral("阳光花园7号楼");
    else if (state.range(1) == 2)
        f.address = QStringLiteral("7");
    for (auto _ : state) {
        QueryGridModel model(IssuedCardQuery::gridCaptions());
        if (!model.show(IssuedCardQuery::gridQuery(Session::db(), f)))
            state.SkipWithError("the query failed");
        readFirstPage(state, model);
    }
    report(state);
}
BENCHMARK(BM_IssuedFirstPage)
    ->ArgNames({"engine0_address1_card2_name3", "none0_department1_address2"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 3, 1), benchmark::CreateDenseRange(0, 2, 1)})
    ->Unit(benchmark::kMillisecond);

// 退卡查询.
void BM_RemovedFirstPage(benchmark::State& state)
{
    RemovedCardQuery::Filter f;
    f.order = RemovedCardQuery::Order(state.range(0));
    if (state.range(1) == 1)
        f.removed = std::pair(QDate(2021, 1, 1), QDate(2021, 12, 31));
    for (auto _ : state) {
        RemovedCardModel model(Session::db());
        if (!model.run(f))
            state.SkipWithError("the query failed");
        readFirstPage(state, model);
    }
    report(state);
}
BENCHMARK(BM_RemovedFirstPage)
    ->ArgNames({"none0_dept1_name2_card3_address4_date5", "none0_year1"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), benchmark::CreateDenseRange(0, 1, 1)})
    ->Unit(benchmark::kMillisecond);

// 考勤数据查询.
void BM_AttendanceFirstPage(benchmark::State& state)
{
    AttendanceQuery::Filter f;
    f.order = int(state.range(0)) - 1;
    f.byDate = state.range(1) == 1;
    f.first = QDate(2025, 6, 1);
    f.last = QDate(2025, 6, 30);
    for (auto _ : state) {
        AttendanceGridModel model(Session::db());
        if (!model.run(f))
            state.SkipWithError("the query failed");
        readFirstPage(state, model);
    }
    report(state);
}
BENCHMARK(BM_AttendanceFirstPage)
    ->ArgNames({"none0_date1_card2_dept3_name4", "none0_month1"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 4, 1), benchmark::CreateDenseRange(0, 1, 1)})
    ->Unit(benchmark::kMillisecond);

// 人员信息查询, by card number.
void BM_PeopleFirstPage(benchmark::State& state)
{
    Personnel::Filter f;
    f.range = true;
    f.first = QStringLiteral("000001");
    f.last = QStringLiteral("999999");
    for (auto _ : state) {
        QSqlQueryModel model;
        model.setQuery(Personnel::gridQuery(Session::db(), f));
        readFirstPage(state, model);
    }
    report(state);
}
BENCHMARK(BM_PeopleFirstPage)->Unit(benchmark::kMillisecond);

// The lists filled when 打卡数据查询 and 个人月总查询 open (or, for the
// addresses, when the list first drops down).
void BM_PickList(benchmark::State& state)
{
    const char* const names[] = {"record addresses", "record cards", "record names", "monthly sheet cards"};
    state.SetLabel(names[state.range(0)]);
    for (auto _ : state) {
        qsizetype n = 0;
        switch (state.range(0)) {
        case 0: n = RecordQuery::addresses(Session::db()).size(); break;
        case 1: n = RecordQuery::cards(Session::db()).size(); break;
        case 2: n = RecordQuery::names(Session::db()).size(); break;
        default: n = MonthlySheet::cards(Session::db()).size(); break;
        }
        if (n == 0)
            state.SkipWithError("empty list");
    }
    report(state);
}
BENCHMARK(BM_PickList)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication, Home>(argc, argv);
}
