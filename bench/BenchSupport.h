#pragma once
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "reports/ReportStaging.h"

#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <functional>

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
