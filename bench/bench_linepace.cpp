// The line's pace: a re-send of 1,000 cards and a collection of 5,000
// records from a controller that answers at 9,600 baud (on its own thread,
// receiving each frame in the time the frame needs on the line), each set
// against the time its bytes need on the line and its goal: the run within
// 1.10 times that line time, the collection within 1.01 times.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_linepace
//   ./build/bench/bench_linepace

#include "BenchSupport.h"

#include "cards/CardRuns.h"
#include "db/Database.h"
#include "doorsim/SimulatorThread.h"
#include "records/RecordCollect.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCards = 1000;
constexpr int kRecords = 5000;
constexpr int kBaud = 9600;
const QString kSettings = QStringLiteral("9600,n,8,1");

double lineSeconds(qint64 bytes)
{
    return double(bytes) * 10.0 / kBaud;
}

// The simulator paced at 9,600 baud, linked as com1 into the bench's folder.
struct PacedLine {
    SimulatorThread sim;
    LineParams params;

    explicit PacedLine(const QString& folder)
    {
        sim.start();
        sim.makeLink(folder, 1);
        sim.command(QStringLiteral("controller 1"));
        sim.command(QStringLiteral("baud %1").arg(kBaud));
        sim.command(QStringLiteral("pace all on"));
        params.portNo = 1;
        params.settings = kSettings;
        params.programFolder = folder;
    }
};

void report(benchmark::State& state, double seconds, double line, double goal)
{
    state.counters["line_s"] = line;
    state.counters["took_s"] = seconds;
    state.counters["over_line"] = seconds / line;
    state.counters["goal_over_line"] = goal;
}

void BM_PacedResend(benchmark::State& state)
{
    BenchHome home;
    generateInEngine({{1, QStringLiteral("INSERT INTO doors (地址) SELECT 1 FROM n")},
                      {kCards, QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, 开始日期, 截止日期, 开始时间, 截止时间, "
                                              "ctrl_state1, ctrl_state2) SELECT 1, printf('%06d', i), "
                                              "printf('%010d', 400000000 + i), '2024-01-01', '2026-12-31', "
                                              "'07:00:00', '22:00:00', 0, 1 FROM n")}});
    PacedLine line(home.path());
    struct : CardRunSink {
        bool advance(int) override { return true; }
    } sink;
    // ClearLists and its echo, then each AddCard and its echo.
    const double seconds = lineSeconds(3 + 1 + qint64(kCards) * (22 + 1));
    double took = 0;
    for (auto _ : state) {
        LinePort port;
        QElapsedTimer t;
        t.start();
        const CardRuns::ResendResult r = CardRuns::resend(port, line.params, Database::shared(), 1, sink,
                                                          [](const RunPair& p) {
                                                              return p.outcome == PairOutcome::Done ? RunStep::Next
                                                                                                    : RunStep::Stop;
                                                          });
        took = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(took);
        if (r.end != CardRuns::ResendResult::End::Finished || r.sent != kCards) {
            state.SkipWithError("not every card was acknowledged");
            return;
        }
    }
    report(state, took, seconds, 1.10);
}
BENCHMARK(BM_PacedResend)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

void BM_PacedCollection(benchmark::State& state)
{
    BenchHome home;
    PacedLine line(home.path());
    line.sim.command(QStringLiteral("records 1 %1").arg(kRecords));
    LinePort port;
    if (!port.open(line.params).ok()) {
        state.SkipWithError("cannot open the simulator's line");
        return;
    }
    // CollectRecords, the address and the count, then each record.
    const double seconds = lineSeconds(3 + 3 + qint64(kRecords) * 11);
    double took = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const CollectResult r = CollectRecords(port, 1, CollectPlan::timed(kSettings));
        took = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(took);
        if (r.end != CollectEnd::Complete || r.records.size() != kRecords) {
            state.SkipWithError("the records did not all come");
            return;
        }
    }
    report(state, took, seconds, 1.01);
}
BENCHMARK(BM_PacedCollection)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    // The line's waits run on the Qt event loop.
    return runBenchmarks<QCoreApplication>(argc, argv);
}
