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
#include "people/Personnel.h"
#include "records/RecordQuery.h"
#include "session/Session.h"

#include <QApplication>
#include <QSqlError>
#include <QSqlQueryModel>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kRecords = 2000000;
constexpr int kPeople = 200000;
constexpr int kDepartments = 40;
constexpr int kAttendancePeople = 2000;

class Home : public BenchHome {
public:
    Home()
    {
        generateInEngine({
            {kPeople, QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) SELECT printf('%06d', i), '业主' || i, "
                                     "'阳光花园' || (i % %1 + 1) || '号楼', '职员' FROM n")
                          .arg(kDepartments)},
            {kPeople, QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) "
                                     "SELECT i % 100, printf('%06d', i), printf('%010d', i), 0, 0 FROM n")},
            {kPeople,
             QStringLiteral("INSERT INTO dfaka (地址, 卡号, 物理卡号, 姓名, 部门, ctrl_state1, ctrl_state2, 日期) "
                            "SELECT i % 100, printf('%06d', i), printf('%010d', i), '住户' || i, "
                            "'阳光花园' || (i % %1 + 1) || '号楼', 0, 0, date('2020-01-01', '+' || (i % 1800) || ' days') FROM n")
                 .arg(kDepartments)},
            // A year of passes, each card about ten.
            {kRecords, QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) "
                                      "SELECT i % 100, printf('%06d', (i * 7919) % %1 + 1), "
                                      "date('2025-01-01', '+' || (i * 365 / %2) || ' days'), time((i * 37) % 86400, 'unixepoch'), "
                                      "i % 4 + 1, '锁一进' FROM n")
                           .arg(kPeople)
                           .arg(kRecords)},
            {kAttendancePeople * 365,
             QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, hrs, late, leavee, absent) "
                            "SELECT printf('%06d', i % %1 + 1), date('2025-01-01', '+' || (i / %1) || ' days'), "
                            "'业主' || (i % %1 + 1), '阳光花园' || ((i % %1 + 1) % %2 + 1) || '号楼', '职员', "
                            "'08:31:00', '11:30:00', '13:30:00', '17:30:00', 7.0, 1, 0, 0 FROM n")
                 .arg(kAttendancePeople)
                 .arg(kDepartments)},
        });
        if (!NameKey::fillAll(Database::shared()))
            qFatal("cannot fill the name keys");
    }
};

const char* const kRecordFilters[] = {"none", "month", "daytime", "address", "day", "card", "name"};

// 打卡数据查询: the window's grid and statement.
void recordsFirstPage(benchmark::State& state)
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
    timeFirstPage(
        state,
        [] {
            return EditableGridModel(Session::db(), RecordQuery::gridCaptions(), RecordQuery::recordColumns(),
                                     &RecordQuery::writeCell);
        },
        [&](EditableGridModel& model) {
            NameKey::fill(Session::db(), QStringLiteral("people"));
            return model.run([&](QSqlDatabase reader) { return BoundQuery::scrollable(reader, s.sql, s.values); });
        });
}

// 发卡信息查询.
void issuedFirstPage(benchmark::State& state)
{
    IssuedCardQuery::Filter f;
    f.order = IssuedCardQuery::Order(state.range(0));
    if (state.range(1) == 1)
        f.department = QStringLiteral("阳光花园7号楼");
    else if (state.range(1) == 2)
        f.address = QStringLiteral("7");
    timeFirstPage(
        state, [] { return QueryGridModel(IssuedCardQuery::gridCaptions()); },
        [&](QueryGridModel& model) { return model.show(IssuedCardQuery::gridQuery(Session::db(), f)); });
}

// 退卡查询.
void removedFirstPage(benchmark::State& state)
{
    RemovedCardQuery::Filter f;
    f.order = RemovedCardQuery::Order(state.range(0));
    if (state.range(1) == 1)
        f.removed = std::pair(QDate(2021, 1, 1), QDate(2021, 12, 31));
    timeFirstPage(
        state, [] { return RemovedCardModel(Session::db()); }, [&](RemovedCardModel& model) { return model.run(f); });
}

// 考勤数据查询.
void attendanceFirstPage(benchmark::State& state)
{
    AttendanceQuery::Filter f;
    f.order = int(state.range(0)) - 1;
    f.byDate = state.range(1) == 1;
    f.first = QDate(2025, 6, 1);
    f.last = QDate(2025, 6, 30);
    timeFirstPage(
        state, [] { return AttendanceGridModel(Session::db()); },
        [&](AttendanceGridModel& model) { return model.run(f); });
}

// Each window's first page in every order against each of its filters,
// beside the goal; the names of its two arguments say what their values
// stand for.
struct WindowFirstPage {
    const char* name;
    void (*time)(benchmark::State&);
    std::vector<std::string> argNames;
    int orders;
    int filters;
};

[[maybe_unused]] const bool windowsRegistered = [] {
    const WindowFirstPage windows[] = {
        {"BM_RecordsFirstPage", recordsFirstPage, {"order", "filter"}, 6, 7},
        {"BM_IssuedFirstPage", issuedFirstPage, {"engine0_address1_card2_name3", "none0_department1_address2"}, 4, 3},
        {"BM_RemovedFirstPage", removedFirstPage, {"none0_dept1_name2_card3_address4_date5", "none0_year1"}, 6, 2},
        {"BM_AttendanceFirstPage", attendanceFirstPage, {"none0_date1_card2_dept3_name4", "none0_month1"}, 5, 2},
    };
    for (const WindowFirstPage& w : windows)
        benchmark::RegisterBenchmark(w.name,
                                     [time = w.time](benchmark::State& state) {
                                         time(state);
                                         showQueryGoal(state);
                                     })
            ->ArgNames(w.argNames)
            ->ArgsProduct({benchmark::CreateDenseRange(0, w.orders - 1, 1), benchmark::CreateDenseRange(0, w.filters - 1, 1)})
            ->Unit(benchmark::kMillisecond);
    return true;
}();

// 人员信息查询, by card number.
void BM_PeopleFirstPage(benchmark::State& state)
{
    Personnel::Filter f;
    f.range = true;
    f.first = QStringLiteral("000001");
    f.last = QStringLiteral("999999");
    timeFirstPage(
        state, [] { return QSqlQueryModel(); },
        [&](QSqlQueryModel& model) {
            model.setQuery(Personnel::gridQuery(Session::db(), f));
            return !model.lastError().isValid();
        });
    showQueryGoal(state);
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
    showQueryGoal(state);
}
BENCHMARK(BM_PickList)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication, Home>(argc, argv);
}
