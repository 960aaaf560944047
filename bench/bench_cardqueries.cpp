// The issued-card and removed-card queries on 200,000 issued cards and
// 200,000 removed ones: the first page of the grid in every order, opening
// the two windows, and the report of 10,000 rows up to the preview.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_cardqueries
//   ./build/bench/bench_cardqueries
//
// The orders by name walk the names' sort keys (pinyin order) in their
// index, as the database holds them once it has been opened.

#include "BenchSupport.h"

#include "db/QueryGridModel.h"
#include "cards/FrmFKXXCX.h"
#include "cards/FrmTkcx.h"
#include "cards/IssuedCardQuery.h"
#include "cards/RemovedCardModel.h"
#include "cards/RemovedCardQuery.h"
#include "db/Database.h"
#include "db/NameKey.h"
#include "db/Transaction.h"
#include "session/Session.h"

#include <QApplication>
#include <QSqlQuery>
#include <QSqlQueryModel>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPeople = 100000;      // two cards each
constexpr int kRemoved = 200000;
constexpr int kDepartments = 20;     // 10,000 issued and 10,000 removed cards each

QString cardOf(int i)
{
    return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
}

QString departmentOf(int i)
{
    return QStringLiteral("阳光花园%1号楼").arg(i % kDepartments + 1);
}

class Home : public BenchHome {
public:
    Home()
    {
        QSqlDatabase db = Database::shared();
        Transaction tx(db);
        QSqlQuery person(db), card(db), gone(db);
        person.prepare(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务, 身份证号) VALUES (?, ?, ?, '职员', ?)"));
        card.prepare(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2, 开始日期, 截止日期, "
                                    "开始时间, 截止时间) VALUES (?, ?, ?, ?, ?, '2024-01-01', '2026-12-31', "
                                    "'06:00:00', '22:00:00')"));
        gone.prepare(QStringLiteral("INSERT INTO dfaka (地址, 卡号, 物理卡号, 姓名, 部门, ctrl_state1, ctrl_state2, "
                                    "开始日期, 截止日期, 日期) VALUES (?, ?, ?, ?, ?, ?, ?, '2023-01-01', "
                                    "'2024-12-31', ?)"));
        // People are inserted in a shuffled order, as years of issuing
        // leave them, so that no order comes for free from insertion.
        for (int n = 0; n < kPeople; ++n) {
            const int i = int((qint64(n) * 7919) % kPeople) + 1;
            person.addBindValue(cardOf(i));
            person.addBindValue(QStringLiteral("业主%1").arg(i));
            person.addBindValue(departmentOf(i));
            person.addBindValue(QStringLiteral("1101011980%1").arg(i, 8, 10, QLatin1Char('0')));
            if (!person.exec())
                qFatal("cannot fill people");
            for (int a : {i % 50, 50 + i % 50}) {
                card.addBindValue(a);
                card.addBindValue(cardOf(i));
                card.addBindValue(QStringLiteral("%1").arg(qint64(i) * 1000 + a, 10, 10, QLatin1Char('0')));
                card.addBindValue(i % 4);
                card.addBindValue(a % 4);
                if (!card.exec())
                    qFatal("cannot fill faka");
            }
        }
        for (int n = 0; n < kRemoved; ++n) {
            const int i = int((qint64(n) * 7919) % kRemoved) + 1;
            gone.addBindValue(i % 100);
            gone.addBindValue(cardOf(i % 999999 + 1));
            gone.addBindValue(QStringLiteral("%1").arg(qint64(i) * 7, 10, 10, QLatin1Char('0')));
            gone.addBindValue(QStringLiteral("前业主%1").arg(i));
            gone.addBindValue(departmentOf(i));
            gone.addBindValue(i % 4);
            gone.addBindValue(i % 3);
            gone.addBindValue(QDate(2015, 1, 1).addDays(i % 3650).toString(Qt::ISODate));
            if (!gone.exec())
                qFatal("cannot fill dfaka");
        }
        tx.commit();
        // The keys of names written since the database opened, as the next
        // opening fills them.
        if (!NameKey::fillAll(db))
            qFatal("cannot fill the name keys");
    }
};

void BM_IssuedFirstPage(benchmark::State& state)
{
    IssuedCardQuery::Filter f;
    f.order = IssuedCardQuery::Order(state.range(0));
    timeFirstPage(
        state, [] { return QueryGridModel(IssuedCardQuery::gridCaptions()); },
        [&](QueryGridModel& model) { return model.show(IssuedCardQuery::gridQuery(Session::db(), f)); });
}
BENCHMARK(BM_IssuedFirstPage)
    ->ArgName("engine0_address1_card2_name3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

void BM_RemovedFirstPage(benchmark::State& state)
{
    RemovedCardQuery::Filter f;
    f.order = RemovedCardQuery::Order(state.range(0));
    timeFirstPage(
        state, [] { return RemovedCardModel(Session::db()); }, [&](RemovedCardModel& model) { return model.run(f); });
}
BENCHMARK(BM_RemovedFirstPage)
    ->ArgName("none0_dept1_name2_card3_address4_date5")
    ->DenseRange(0, 5)
    ->Unit(benchmark::kMillisecond);

void BM_OpenFrmFKXXCX(benchmark::State& state)
{
    for (auto _ : state) {
        FrmFKXXCX w;
        benchmark::DoNotOptimize(w.shown());
    }
}
BENCHMARK(BM_OpenFrmFKXXCX)->Unit(benchmark::kMillisecond);

void BM_OpenFrmTkcx(benchmark::State& state)
{
    for (auto _ : state) {
        FrmTkcx w;
        benchmark::DoNotOptimize(w.shown());
    }
}
BENCHMARK(BM_OpenFrmTkcx)->Unit(benchmark::kMillisecond);

// A filter box's list, read when the box is first used: the first rows of
// its distinct values (all of them when there are few, as with departments).
void BM_IssuedChoices(benchmark::State& state)
{
    for (auto _ : state) {
        QSqlQueryModel m;
        m.setQuery(IssuedCardQuery::choices(Session::db(), IssuedCardQuery::Choices(state.range(0))));
        benchmark::DoNotOptimize(m.rowCount());
    }
}
BENCHMARK(BM_IssuedChoices)
    ->ArgName("departments0_names1_addresses2_cards3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

void BM_RemovedChoices(benchmark::State& state)
{
    for (auto _ : state) {
        QSqlQueryModel m;
        m.setQuery(RemovedCardQuery::choices(Session::db(), RemovedCardQuery::Choices(state.range(0))));
        benchmark::DoNotOptimize(m.rowCount());
    }
}
BENCHMARK(BM_RemovedChoices)->ArgName("departments0_names1_cards2")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// "打印" of one department's 10,000 cards: staging, then every page of
// the preview, which is what the operator waits for.
template <typename Stage, typename Report>
void printToPreview(benchmark::State& state, Stage stage, Report report)
{
    for (auto _ : state) {
        const ReportOutcome o = stage();
        if (!o.ok() || o.rows != 10000) {
            state.SkipWithError("staging failed");
            return;
        }
        state.counters["pages"] = previewEveryPage(report());
    }
}

void BM_IssuedReport10000ToPreview(benchmark::State& state)
{
    IssuedCardQuery::Filter f;
    f.department = departmentOf(0);
    f.order = IssuedCardQuery::Order::Card;
    printToPreview(
        state, [&] { return IssuedCardQuery::stage(Session::db(), f); },
        [] { return IssuedCardQuery::report(Session::db()); });
}
BENCHMARK(BM_IssuedReport10000ToPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RemovedReport10000ToPreview(benchmark::State& state)
{
    RemovedCardQuery::Filter f;
    f.department = departmentOf(0);
    f.order = RemovedCardQuery::Order::Date;
    printToPreview(
        state,
        [&] {
            RemovedCardModel grid(Session::db());
            grid.run(f);
            return RemovedCardQuery::stage(Session::db(), grid);
        },
        [] { return RemovedCardQuery::report(Session::db()); });
}
BENCHMARK(BM_RemovedReport10000ToPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication, Home>(argc, argv);
}
