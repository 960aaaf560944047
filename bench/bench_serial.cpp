// The line's own cost: SetTime exchanges against the simulator over a
// pseudo-terminal, and a paced collection stream against the time the
// bytes need on a 9,600-baud line.

#include "BenchSupport.h"

#include "doorsim/Simulator.h"
#include "doorsim/SimulatorThread.h"
#include "link/Bcd.h"
#include "link/CommandFrame.h"
#include "link/LinePort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr int kExchanges = 1000;
constexpr int kRecords = 1000;
constexpr int kBaud = 9600;

LineParams paramsFor(const QTemporaryDir& dir)
{
    LineParams p;
    p.portNo = 1;
    p.programFolder = dir.path();
    return p;
}

// A simulator either on this thread (its replies wait for the exchange's
// event loop) or on its own (it answers like a separate device).
struct Line {
    QTemporaryDir dir;
    std::unique_ptr<Simulator> local;
    std::unique_ptr<SimulatorThread> threaded;

    explicit Line(bool onItsOwnThread)
    {
        if (onItsOwnThread) {
            threaded = std::make_unique<SimulatorThread>();
            threaded->start();
            threaded->makeLink(dir.path(), 1);
        } else {
            local = std::make_unique<Simulator>();
            local->start();
            local->makeLink(dir.path(), 1);
        }
    }
    QString command(const QString& line)
    {
        return threaded ? threaded->command(line) : local->command(line);
    }
};

void BM_SetTimeExchanges(benchmark::State& state)
{
    Line line(state.range(0) != 0);
    line.command(QStringLiteral("controller 1"));
    LinePort port;
    if (!port.open(paramsFor(line.dir)).ok()) {
        state.SkipWithError("cannot open the simulator's line");
        return;
    }
    qint64 totalNs = 0;
    qint64 exchanges = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kExchanges; ++i) {
            const ExchangeResult r = port.exchange(SetTime::frame(1, QTime(12, 34, i % 60)));
            if (!r.ok()) {
                state.SkipWithError("no echo");
                return;
            }
        }
        totalNs += t.nsecsElapsed();
        exchanges += kExchanges;
    }
    state.counters["us_per_exchange"] = double(totalNs) / 1000.0 / double(exchanges);
    state.counters["exchanges_per_s"] = double(exchanges) * 1e9 / double(totalNs);
}
BENCHMARK(BM_SetTimeExchanges)->ArgName("sim_thread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The receiving side reads the stream as a collection does: the header,
// then each record's echo and ten bytes as they come.
void BM_PacedCollection(benchmark::State& state)
{
    Line line(state.range(0) != 0);
    line.command(QStringLiteral("controller 1"));
    line.command(QStringLiteral("records 1 %1").arg(kRecords));
    line.command(QStringLiteral("baud %1").arg(kBaud));
    line.command(QStringLiteral("pace 1 on"));
    LinePort port;
    if (!port.open(paramsFor(line.dir)).ok()) {
        state.SkipWithError("cannot open the simulator's line");
        return;
    }
    const qint64 bytes = 3 + qint64(kRecords) * 11;
    const double lineSeconds = double(bytes) * 10.0 / kBaud;
    double receiveSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        ExchangeOptions header;
        header.awaitedBytes = 3;
        header.timeout = 3s;
        header.read = ReadMode::Awaited;
        const ExchangeResult r = port.exchange(CommandFrame::build(1, CommandCode::CollectRecords), header);
        if (!r.ok() || TwoByteCount::decode(quint8(r.reply.at(1)), quint8(r.reply.at(2))) != kRecords) {
            state.SkipWithError("no record count");
            return;
        }
        for (int i = 0; i < kRecords; ++i) {
            if (!port.waitForBytes(11, 3s) || port.read(11).size() != 11) {
                state.SkipWithError("a record did not come");
                return;
            }
        }
        receiveSeconds = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(receiveSeconds);
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["receive_s"] = receiveSeconds;
    state.counters["receive_over_line"] = receiveSeconds / lineSeconds;
}
BENCHMARK(BM_PacedCollection)->ArgName("sim_thread")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    // The line's waits run on the Qt event loop.
    return runBenchmarks<QCoreApplication>(argc, argv);
}
