#pragma once
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "db/Transaction.h"
#include "reports/ReportStaging.h"

#include <QAbstractItemModel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

// A program folder of its own with the shared database open in it while
// it lives. A benchmark's home derives from it and seeds the database.
class BenchHome {
public:
    BenchHome()
    {
        ProgramFolder::set(dir_.path());
        if (!Database::openShared().ok())
            qFatal("cannot open the benchmark database");
    }
    ~BenchHome() { Database::closeShared(); }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// An insert that generates a benchmark's rows from the numbers 1 to
// `count`, which it selects as i from the table n.
struct Generated {
    int count;
    QString insert;
};

// Rows generated inside the engine, all in one transaction: millions of
// bound inserts would take longer than every benchmark together.
inline void generateInEngine(std::initializer_list<Generated> inserts)
{
    QSqlDatabase db = Database::shared();
    Transaction tx(db);
    QSqlQuery q(db);
    for (const Generated& g : inserts) {
        const QString numbers =
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(g.count);
        if (!q.exec(numbers + g.insert))
            qFatal("cannot fill the benchmark database: %s", qPrintable(q.lastError().text()));
    }
    if (!tx.commit())
        qFatal("cannot fill the benchmark database: %s", qPrintable(tx.commitError().text()));
}

// The longest the operator should wait for a query window's page or one
// of its lists; a figure measured against it is printed beside it.
constexpr double kQueryGoalMs = 200;

inline void showQueryGoal(benchmark::State& state)
{
    state.counters["goal_ms"] = kQueryGoalMs;
}

// What a grid reads before it paints once its statement has run: the
// first page of rows. No rows means the benchmark measured nothing,
// unless it times a filter that keeps none (`empty`), which then must.
inline void readFirstPage(benchmark::State& state, const QAbstractItemModel& model, bool empty = false)
{
    const int rows = model.rowCount();
    for (int r = 0; r < std::min(rows, 40); ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            benchmark::DoNotOptimize(model.index(r, c).data());
    if ((rows == 0) != empty)
        state.SkipWithError(empty ? "rows where none should be" : "no rows");
}

// The first rows of a lazily read pick list, as its box shows them when
// it drops down: up to a page of the executed statement `q`.
inline int firstRows(QSqlQuery q, int page = 255)
{
    int n = 0;
    while (n < page && q.next())
        ++n;
    return n;
}

// A query window's grid as the operator waits for it each time the query
// runs: `make` builds a new model, `run` runs the window's statement in it
// (false if that failed), then the first page is read.
template <class Make, class Run>
void timeFirstPage(benchmark::State& state, Make make, Run run, bool empty = false)
{
    for (auto _ : state) {
        auto model = make();
        if (!run(model))
            state.SkipWithError("the query failed");
        readFirstPage(state, model, empty);
    }
}

// Every page of a staged report's preview laid out, which is what the
// operator waits for after "打印"; the number of pages.
inline int previewEveryPage(const ReportStaging& report)
{
    std::optional<ReportDocument> doc = report.document();
    QPrinter printer(QPrinter::HighResolution);
    doc->setUpPage(&printer);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) { doc->paint(p); });
    preview.updatePreview();
    return preview.pageCount();
}

// For benchmarks that make their own folders.
struct NoBenchHome {};

// The program of a benchmark file: the application `App` (its event loop
// serves the windows and the line's waits; windows are drawn offscreen
// unless a platform is set), then `Home` built once the arguments are
// read, `ready` with it, and the benchmarks the command line names.
template <class App, class Home = NoBenchHome>
int runBenchmarks(int argc, char** argv, const std::function<void(Home&)>& ready = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Home home;
    if (ready)
        ready(home);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
