// Re-sending a controller's whole card list: 1,000 cards through the
// re-send window against a simulated controller whose echoes leave at
// 9,600 baud, set against the time the line needs for the frames and the
// echoes. The simulated controller answers a frame only after the frame's
// line time, so the run's own cost per card (its time beyond the frames
// and the paced echoes) is reported as well: it is what the program adds
// to the line time. With the echoes unpaced (paced:0) only the frames
// take line time.
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_cardlists
//   ./build/bench/bench_cardlists

#include "BenchSupport.h"

#include "cards/FrmFKZL.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "doorsim/SimulatorThread.h"
#include "session/Session.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCards = 1000;
constexpr int kBaud = 9600;

class QuietPrompter : public Prompter {
public:
    QStringList shown;
    Answer show(QWidget*, const Message& m) override
    {
        shown << m.text;
        return Answer::Cancel;
    }
};

void BM_ResendThousandCards(benchmark::State& state)
{
    BenchHome home;
    {
        QSqlDatabase db = Database::shared();
        Transaction tx(db);
        QSqlQuery q(db);
        q.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
        q.prepare(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, 开始日期, 截止日期, 开始时间, 截止时间, "
                                 "ctrl_state1, ctrl_state2) VALUES (1, ?, ?, '2024-01-01', '2026-12-31', '07:00:00', "
                                 "'22:00:00', 0, 1)"));
        for (int i = 1; i <= kCards; ++i) {
            q.addBindValue(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1").arg(4000000000LL + i));
            q.exec();
        }
        tx.commit();
    }
    SimulatorThread sim;
    sim.start();
    sim.makeLink(home.path(), 1);
    sim.command(QStringLiteral("controller 1"));
    sim.command(QStringLiteral("baud %1").arg(kBaud));
    const bool paced = state.range(0) != 0;
    sim.command(QStringLiteral("pace 1 %1").arg(paced ? QStringLiteral("on") : QStringLiteral("off")));
    Session::PortNo = 1;
    Session::CommSettings = QStringLiteral("9600,n,8,1");
    Session::InBufSize = 2048;
    Session::OutBufSize = 512;
    QuietPrompter prompts;
    Prompter::install(&prompts);

    const double framesSeconds = (3.0 + kCards * 22.0) * 10.0 / kBaud;
    const double echoSeconds = paced ? (1.0 + kCards) * 10.0 / kBaud : 0.0;
    const double lineSeconds = (3.0 + 1.0 + kCards * (22.0 + 1.0)) * 10.0 / kBaud;
    double runSeconds = 0;
    for (auto _ : state) {
        prompts.shown.clear();
        FrmFKZL w;
        w.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(0);
        QElapsedTimer t;
        t.start();
        w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        runSeconds = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(runSeconds);
        if (prompts.shown != QStringList{QStringLiteral("重整成功！")}) {
            state.SkipWithError(qPrintable(prompts.shown.join(QLatin1Char(' '))));
            break;
        }
    }
    Prompter::install(nullptr);
    state.counters["line_s"] = lineSeconds;
    state.counters["run_s"] = runSeconds;
    state.counters["run_over_line"] = runSeconds / lineSeconds;
    state.counters["own_ms_per_card"] = (runSeconds - framesSeconds - echoSeconds) * 1000.0 / kCards;
}
BENCHMARK(BM_ResendThousandCards)->ArgName("paced")->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv);
}
