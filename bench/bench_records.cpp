// The door-open record query on two million records: opening the window
// (first page of the grid and the pick lists), a sorted query, scrolling
// on; and the monitoring decoders on a million replies.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_records
//   ./build/bench/bench_records

#include "BenchSupport.h"

#include "attendance/MonthlySheet.h"

#include "db/Database.h"
#include "doors/DoorsTable.h"
#include "doorsim/Simulator.h"
#include "link/LinePort.h"
#include "records/LockMonitor.h"
#include "records/Frmque.h"
#include "records/PollCommands.h"
#include "records/RecordQuery.h"
#include "session/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 2000000;
constexpr int kPeople = 2000;

class Home : public BenchHome {
public:
    Home()
    {
        generateInEngine({
            {kPeople, QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) "
                                     "SELECT printf('%06d', i), '业主' || i, '阳光花园' || (i % 40 + 1) || '号楼', '职员' FROM n")},
            {kRecords, QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) "
                                      "SELECT i % 100, printf('%06d', i % %1 + 1), date('2020-01-01', '+' || (i / 2000) || ' days'), "
                                      "time((i * 37) % 86400, 'unixepoch'), i % 4 + 1, '锁一进' FROM n")
                           .arg(kPeople + 100)},
        });
    }
};

// What the operator waits for when the window opens: the first page of
// the grid and the three lists.
void BM_OpenFrmqueOn2MRecords(benchmark::State& state)
{
    for (auto _ : state) {
        Frmque window;
        benchmark::DoNotOptimize(window.findChild<QTableView*>(QStringLiteral("DBGrid1"))->model()->rowCount());
    }
}
BENCHMARK(BM_OpenFrmqueOn2MRecords)->Unit(benchmark::kMillisecond);

void showFirstPage(benchmark::State& state, const RecordFilter& f)
{
    for (auto _ : state) {
        const RecordStatement s = RecordQuery::statement(Session::db(), f);
        QSqlQuery q(Session::db());
        q.prepare(s.sql);
        for (const QVariant& v : s.values)
            q.addBindValue(v);
        q.exec();
        QSqlQueryModel model;
        model.setQuery(std::move(q));
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_FirstPageByDateOrder(benchmark::State& state)
{
    RecordFilter f;
    f.order = 0;
    showFirstPage(state, f);
}
BENCHMARK(BM_FirstPageByDateOrder)->Unit(benchmark::kMillisecond);

void BM_FirstPageOneCardOneMonth(benchmark::State& state)
{
    RecordFilter f;
    f.card = QStringLiteral("000123");
    f.days = std::pair(QDate(2021, 3, 1), QDate(2021, 3, 31));
    f.order = 3;
    showFirstPage(state, f);
}
BENCHMARK(BM_FirstPageOneCardOneMonth)->Unit(benchmark::kMillisecond);

// Scrolling on: each step is one more fetch of the model.
void BM_ScrollTwentyPages(benchmark::State& state)
{
    for (auto _ : state) {
        QSqlQueryModel model;
        const RecordStatement s = RecordQuery::statement(Session::db(), RecordFilter{});
        model.setQuery(s.sql, Session::db());
        for (int i = 0; i < 20 && model.canFetchMore(); ++i)
            model.fetchMore();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_ScrollTwentyPages)->Unit(benchmark::kMillisecond);

// The lists filled when 打卡数据查询 and 个人月总查询 open, on two
// million records of about two thousand cards.
void BM_PickListsOn2MRecords(benchmark::State& state)
{
    for (auto _ : state) {
        const qsizetype n = state.range(0) == 0 ? firstRows(RecordQuery::addresses(Session::db()))
                                                : firstRows(MonthlySheet::cards(Session::db()));
        benchmark::DoNotOptimize(n);
    }
    state.SetLabel(state.range(0) == 0 ? "record addresses" : "monthly sheet cards");
    showQueryGoal(state);
}
BENCHMARK(BM_PickListsOn2MRecords)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_DecodeMillionReplies(benchmark::State& state)
{
    QRandomGenerator rng(7);
    QList<QByteArray> replies;
    for (int i = 0; i < 1000; ++i) {
        QByteArray b(rng.bounded(12), '\0');
        for (char& c : b)
            c = char(rng.bounded(256));
        replies << b;
    }
    for (auto _ : state) {
        int n = 0;
        for (int i = 0; i < 1000000; ++i) {
            const QByteArray& b = replies.at(i % 1000);
            n += PollReply::decode(b, 12).anyOpen();
            n += PassRecord::decode(b, 12).has_value();
        }
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_DecodeMillionReplies)->Unit(benchmark::kMillisecond);

// A hundred controllers polled for two seconds, one of them with a lock
// held open: how late a 10 ms timer of the window gets at worst, and how
// many polls went out.
void BM_Monitor100Controllers(benchmark::State& state)
{
    QTemporaryDir folder;
    Simulator sim;
    if (!sim.start() || !sim.makeLink(folder.path(), 3)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    QList<DoorRow> rows;
    for (int a = 0; a < 100; ++a) {
        sim.addController(static_cast<quint8>(a));
        DoorRow r;
        r.address = a;
        r.lock[0].kind = QStringLiteral("木");
        r.lock[1].kind = QStringLiteral("铁");
        rows << r;
    }
    sim.controller(42)->force[0] = Controller::Force::Open;
    LinePort port;
    LineParams params;
    params.portNo = 3;
    params.programFolder = folder.path();
    if (!port.open(params).ok()) {
        state.SkipWithError("port refused");
        return;
    }
    for (auto _ : state) {
        sim.clearFrames();
        LockMonitor monitor(port, Session::db());
        monitor.load(rows);
        monitor.start();
        qint64 worst = 0;
        QElapsedTimer gap;
        gap.start();
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] { worst = std::max(worst, gap.restart()); });
        beat.start(10);
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        monitor.stop();
        state.counters["worst_gap_ms"] = double(worst);
        state.counters["frames"] = double(sim.frames().size());
    }
}
BENCHMARK(BM_Monitor100Controllers)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication, Home>(argc, argv);
}
