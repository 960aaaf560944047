// Opening the personnel window on 100,000 people, and printing the
// personnel report of 10,000 people (staging, preview pages, PDF).
//
//   cmake -S . -B build -DDOOR_BUILD_BENCH=ON && ninja -C build bench_people
//   ./build/bench/bench_people

#include "BenchSupport.h"

#include "session/Session.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "people/Frmxg.h"
#include "people/Personnel.h"
#include "reports/ReportStaging.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPeople = 100000;

// A program folder whose database holds kPeople people with every field
// filled, card numbers 000001 upwards.
class Home : public BenchHome {
public:
    Home()
    {
        QSqlDatabase db = Database::shared();
        Transaction tx(db);
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务, 身份证号, rmno, sex, birthday, marriage, tel, "
                                 "hukou, company, fcz, nation, spouse, ssex, shukou, scompany, child1, others) "
                                 "VALUES (?, ?, ?, '职员', ?, ?, '男', '1980-05-17', '已婚', ?, '北京市朝阳区', "
                                 "'某某科技有限公司', ?, '汉', '李丽', '女', '北京市海淀区', '某某医院', '小明', '')"));
        for (int i = 1; i <= kPeople; ++i) {
            q.addBindValue(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("业主%1").arg(i));
            q.addBindValue(QStringLiteral("阳光花园%1号楼").arg(i % 40 + 1));
            q.addBindValue(QStringLiteral("1101011980%1").arg(i, 8, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1-%2").arg(i % 30 + 1).arg(i % 400 + 101));
            q.addBindValue(QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("FC%1").arg(i, 8, 10, QLatin1Char('0')));
            if (!q.exec())
                qFatal("cannot fill the benchmark database");
        }
        tx.commit();
    }
};

// The first 10,000 people, as "打印" over a card range stages them.
ReportStaging stageTenThousand()
{
    ReportStaging report = Personnel::report(Session::db());
    const ReportOutcome o =
        Personnel::stageReport(Session::db(), {true, QStringLiteral("000001"), QStringLiteral("010000")});
    if (!o.ok() || o.rows != 10000)
        qFatal("staging failed: %s", qPrintable(o.message()));
    return report;
}

void BM_OpenFrmxgOn100000People(benchmark::State& state)
{
    for (auto _ : state) {
        Frmxg window;
        benchmark::DoNotOptimize(window.findChild<QTableView*>(QStringLiteral("DBGrid1"))->model()->rowCount());
    }
}
BENCHMARK(BM_OpenFrmxgOn100000People)->Unit(benchmark::kMillisecond);

void BM_StagePersonnelReport10000(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(stageTenThousand());
}
BENCHMARK(BM_StagePersonnelReport10000)->Unit(benchmark::kMillisecond);

// What the operator waits for after "打印": every page of the preview.
void BM_PreviewPersonnelReport10000(benchmark::State& state)
{
    ReportStaging report = stageTenThousand();
    for (auto _ : state) {
        state.counters["pages"] = previewEveryPage(report);
    }
}
BENCHMARK(BM_PreviewPersonnelReport10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PdfPersonnelReport10000(benchmark::State& state)
{
    ReportStaging report = stageTenThousand();
    QTemporaryDir out;
    for (auto _ : state) {
        const ReportOutcome o = report.renderPdf(out.filePath(QStringLiteral("pl.pdf")));
        if (!o.ok())
            state.SkipWithError("the PDF was not written");
    }
}
BENCHMARK(BM_PdfPersonnelReport10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication, Home>(argc, argv);
}
