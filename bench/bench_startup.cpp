// Start-up costs: the login window on a fresh program folder, and opening
// a database of a site's years of records against an empty one. Nothing
// may scan a table at start, so both openings should cost the same.
#include "app/LoginWindow.h"
#include "session/Session.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir* emptyHome;
QTemporaryDir* fullHome;

void fill(const QString& dir, int rows)
{
    ProgramFolder::set(dir);
    Database::openShared();
    QSqlDatabase db = Database::shared();
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, ?, ?, ?, ?)"));
    const QDate first(2020, 1, 1);
    for (int i = 0; i < rows; ++i) {
        q.addBindValue(i % 100);
        q.addBindValue(QStringLiteral("%1").arg(i % 5000, 6, 10, QLatin1Char('0')));
        q.addBindValue(first.addDays(i / 1000).toString(QStringLiteral("yyyy-MM-dd")));
        q.addBindValue(QTime(0, 0).addSecs((i * 37) % 86400).toString(QStringLiteral("HH:mm:ss")));
        q.addBindValue(1 + i % 4);
        q.addBindValue(QStringLiteral("锁一进"));
        q.exec();
    }
    db.commit();
    Database::closeShared();
}

void openDatabase(benchmark::State& state, QTemporaryDir* home)
{
    ProgramFolder::set(home->path());
    for (auto _ : state) {
        Database::openShared();
        Session::loadSystemSettings(Database::shared());
        Session::loadSchedule(Database::shared());
        Database::closeShared();
    }
}

void BM_OpenEmptyDatabase(benchmark::State& state)
{
    openDatabase(state, emptyHome);
}
void BM_OpenMillionRecordDatabase(benchmark::State& state)
{
    openDatabase(state, fullHome);
}

void BM_StartToLoginWindow(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir fresh;
        ProgramFolder::set(fresh.path());
        Database::openShared();
        login window;
        window.show();
        QApplication::processEvents();
        window.hide();
        Database::closeShared();
    }
}

BENCHMARK(BM_OpenEmptyDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenMillionRecordDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToLoginWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir e, f;
    emptyHome = &e;
    fullHome = &f;
    fill(e.path(), 0);
    fill(f.path(), 1000000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
