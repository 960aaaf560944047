// Storing collected records: 10,000 records into a `data` table that
// already holds one million rows (each checked for a duplicate first);
// and collecting 1,000 records from the simulator paced at 9,600 baud,
// against the time the bytes need on the line.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_collect
//   ./build/bench/bench_collect

#include "BenchSupport.h"

#include "db/Database.h"
#include "doorsim/SimulatorThread.h"
#include "records/RecordCollect.h"
#include "records/RecordImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 1000000;
constexpr int kBatch = 10000;
constexpr int kRecords = 1000;
constexpr int kBaud = 9600;

void BM_ImportIntoMillionRows(benchmark::State& state)
{
    BenchHome home;
    QSqlDatabase db = Database::shared();
    QSqlQuery q(db);
    // A year and more of passes at 100 controllers.
    if (!q.exec(QStringLiteral(
            "WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
            "INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) SELECT x % 100, printf('%06d', x % 50000), "
            "date('2020-01-01', '+' || (x % 500) || ' days'), printf('%02d:%02d:00', x % 24, x / 24 % 60), "
            "x % 4 + 1, '锁一进' FROM n").arg(kRows - 1))) {
        state.SkipWithError("cannot fill data");
        return;
    }
    int round = 0;
    double seconds = 0;
    qint64 stored = 0;
    for (auto _ : state) {
        QList<CollectedRecord> batch;
        batch.reserve(kBatch);
        for (int i = 0; i < kBatch; ++i) {
            CollectedRecord r;
            r.card = QStringLiteral("%1").arg(i % 50000, 6, 10, QLatin1Char('0'));
            r.date = QDate(2022, 1, 1).addDays(round * 40 + i % 40);
            r.time = QTime(i % 24, i / 24 % 60);
            r.address = i % 100;
            r.flag = static_cast<qint16>(i % 4 + 1);
            batch << r;
        }
        ++round;
        QElapsedTimer t;
        t.start();
        const RecordImport::Result r = RecordImport::store(db, batch);
        seconds += t.nsecsElapsed() / 1e9;
        if (!r.ok || r.stored != kBatch) {
            state.SkipWithError(qPrintable(QStringLiteral("the batch was not stored whole: %1 %2").arg(r.stored).arg(r.error)));
            break;
        }
        stored += r.stored;
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
    state.counters["records_per_s"] = double(stored) / seconds;
}
BENCHMARK(BM_ImportIntoMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// The simulator answers on its own thread, as a separate device would.
void BM_CollectPaced(benchmark::State& state)
{
    QTemporaryDir dir;
    SimulatorThread sim;
    sim.start();
    sim.makeLink(dir.path(), 1);
    sim.command(QStringLiteral("controller 1"));
    sim.command(QStringLiteral("records 1 %1").arg(kRecords));
    sim.command(QStringLiteral("baud %1").arg(kBaud));
    sim.command(QStringLiteral("pace 1 on"));
    LineParams p;
    p.portNo = 1;
    p.programFolder = dir.path();
    LinePort port;
    if (!port.open(p).ok()) {
        state.SkipWithError("cannot open the simulator's line");
        return;
    }
    const double lineSeconds = double(3 + 11 * kRecords) * 10.0 / kBaud;
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const CollectResult r = CollectRecords(port, 1, CollectPlan::timed(QStringLiteral("9600,n,8,1")));
        seconds = t.nsecsElapsed() / 1e9;
        if (r.end != CollectEnd::Complete || r.records.size() != kRecords) {
            state.SkipWithError("the records did not all come");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["collect_s"] = seconds;
    state.counters["collect_over_line"] = seconds / lineSeconds;
}
BENCHMARK(BM_CollectPaced)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    // The line's waits run on the Qt event loop.
    return runBenchmarks<QCoreApplication>(argc, argv);
}
