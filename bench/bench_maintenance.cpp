// The closing compaction, a backup and a restore on a site's two years of
// records, each against SQLite's own VACUUM INTO of the same file in the
// same run. The counter `vs_vacuum_into` is the ratio of the two times; the
// checks of the copies must not make any of them cost much more than the
// copy itself.
//
// Generating the database takes a while; DOOR_BENCH_KEEP=DIR keeps it in
// DIR (and reuses it there on the next run).
#include "admin/BackupRestore.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTime>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRecords = 2000000;
constexpr int kPeople = 3000;
constexpr int kControllers = 40;
constexpr int kControllersPerCard = 6;
constexpr int kAttendanceDays = 200;

QString home;
double vacuumSeconds = 0;

QString card(int i)
{
    return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
}

bool run(QSqlQuery& q)
{
    if (q.exec())
        return true;
    std::fprintf(stderr, "insert failed\n");
    return false;
}

void generate()
{
    QSqlDatabase db = Database::shared();
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务, 身份证号, tel, hukou, company, sex, birthday) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < kPeople; ++i) {
        q.addBindValue(card(i));
        q.addBindValue(QStringLiteral("业主%1").arg(i));
        q.addBindValue(QStringLiteral("%1号楼").arg(i % 12 + 1));
        q.addBindValue(QStringLiteral("住户"));
        q.addBindValue(QStringLiteral("1101051980%1").arg(i, 8, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("北京市朝阳区建国路%1号院%2单元").arg(i % 90 + 1).arg(i % 6 + 1));
        q.addBindValue(QStringLiteral("某某有限公司"));
        q.addBindValue(i % 2 ? QStringLiteral("男") : QStringLiteral("女"));
        q.addBindValue(QStringLiteral("1980-01-01"));
        run(q);
    }
    q.prepare(QStringLiteral("INSERT INTO faka (地址, 卡号, 开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间, "
                             "物理卡号, ctrl_state1, ctrl_state2) VALUES (?, ?, '2024-01-01', '2026-12-31', 1, 7, "
                             "'00:00:00', '23:59:59', ?, 0, 0)"));
    for (int i = 0; i < kPeople; ++i) {
        for (int c = 0; c < kControllersPerCard; ++c) {
            q.addBindValue((i + c * 7) % kControllers);
            q.addBindValue(card(i));
            q.addBindValue(QStringLiteral("%1").arg(3000000000LL + i * 7919LL, 10, 10, QLatin1Char('0')));
            run(q);
        }
    }
    // Two years of passes, in the order they are collected.
    const QDate first(2024, 1, 1);
    q.prepare(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, ?, ?, ?, ?)"));
    const QStringList io = {QStringLiteral("锁一进"), QStringLiteral("锁一出"), QStringLiteral("锁二进"),
                            QStringLiteral("锁二出")};
    const int perDay = kRecords / 730 + 1;
    for (int i = 0; i < kRecords; ++i) {
        const int flag = i % 4;
        q.addBindValue((i * 13) % kControllers);
        q.addBindValue(card((i * 7) % kPeople));
        q.addBindValue(DateText::fromDate(first.addDays(i / perDay)));
        q.addBindValue(DateText::fromTime(QTime(6, 0).addSecs((i % perDay) * 57000 / perDay)));
        q.addBindValue(flag + 1);
        q.addBindValue(io.at(flag));
        run(q);
    }
    q.prepare(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, hrs, late, "
                             "leavee, absent) VALUES (?, ?, ?, '1号楼', '住户', '08:01:00', '12:00:00', "
                             "'13:00:00', '17:31:00', 8.5, 1, 0, 0)"));
    for (int d = 0; d < kAttendanceDays; ++d) {
        for (int i = 0; i < kPeople; ++i) {
            q.addBindValue(card(i));
            q.addBindValue(DateText::fromDate(first.addDays(d)));
            q.addBindValue(QStringLiteral("业主%1").arg(i));
            run(q);
        }
    }
    db.commit();
}

// The mean time of the iterations against the plain copy's.
void compare(benchmark::State& state, double total)
{
    if (vacuumSeconds > 0)
        state.counters["vs_vacuum_into"] = total / double(state.iterations()) / vacuumSeconds;
}

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Progress as a window would take it: every report is looked at.
struct Reports {
    int count = 0;
    int last = 0;
    Database::Progress sink()
    {
        return [this](int p) {
            ++count;
            last = p;
        };
    }
};

void BM_VacuumInto(benchmark::State& state)
{
    Database::openShared();
    const QString target = QDir(home).filePath(QStringLiteral("plain.db"));
    double total = 0;
    for (auto _ : state) {
        QFile::remove(target);
        const auto start = std::chrono::steady_clock::now();
        QSqlQuery q(Database::shared());
        q.prepare(QStringLiteral("VACUUM INTO ?"));
        q.addBindValue(target);
        q.exec();
        const double s = since(start);
        total += s;
        state.SetIterationTime(s);
    }
    vacuumSeconds = total / state.iterations();
    state.counters["MB"] = QFileInfo(target).size() / 1e6;
    QFile::remove(target);
    Database::closeShared();
}

void BM_ClosingCompaction(benchmark::State& state)
{
    double total = 0;
    Reports reports;
    for (auto _ : state) {
        Database::openShared();
        const auto start = std::chrono::steady_clock::now();
        QString error;
        if (!Database::closeAndCompact(&error, reports.sink()))
            state.SkipWithError(qPrintable(error));
        const double s = since(start);
        total += s;
        state.SetIterationTime(s);
    }
    compare(state, total);
    state.counters["reports"] = reports.count / double(state.iterations());
}

void BM_Backup(benchmark::State& state)
{
    Database::openShared();
    const QString target = QDir(home).filePath(QStringLiteral("backup.db"));
    double total = 0;
    Reports reports;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const BackupRestore::Outcome out = BackupRestore::backup(Database::shared(), target, {}, reports.sink());
        if (!out.ok)
            state.SkipWithError(qPrintable(out.error));
        const double s = since(start);
        total += s;
        state.SetIterationTime(s);
    }
    compare(state, total);
    state.counters["reports"] = reports.count / double(state.iterations());
    Database::closeShared();
}

// What the operator waits through: the check of the chosen file before
// the question, then the restore itself.
void BM_Restore(benchmark::State& state)
{
    Database::openShared();
    const QString source = QDir(home).filePath(QStringLiteral("backup.db"));
    double total = 0;
    Reports reports;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (BackupRestore::checkChoice(source, nullptr, reports.sink()) != BackupRestore::Choice::Usable)
            state.SkipWithError("the copy was refused");
        const BackupRestore::RestoreOutcome out = BackupRestore::restore(source, {}, reports.sink());
        if (out.status != BackupRestore::RestoreStatus::Restored)
            state.SkipWithError(qPrintable(out.error));
        const double s = since(start);
        total += s;
        state.SetIterationTime(s);
    }
    compare(state, total);
    state.counters["reports"] = reports.count / double(state.iterations());
    Database::closeShared();
}

BENCHMARK(BM_VacuumInto)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ClosingCompaction)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<QTemporaryDir> temp;
    home = qEnvironmentVariable("DOOR_BENCH_KEEP");
    if (home.isEmpty()) {
        temp = std::make_unique<QTemporaryDir>();
        home = temp->path();
    }
    QDir().mkpath(home);
    ProgramFolder::set(home);
    const bool fresh = !QFileInfo::exists(Database::livePath());
    Database::openShared();
    if (fresh) {
        std::fprintf(stderr, "generating %d records in %s\n", kRecords, qPrintable(home));
        generate();
    }
    Database::closeShared();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
