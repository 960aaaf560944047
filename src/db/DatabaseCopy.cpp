#include "db/DatabaseInternal.h"
#include "db/LockWait.h"
#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <filesystem>
#include <system_error>

using namespace Database::internal;

namespace {

qint64 pragmaNumber(QSqlDatabase db, const char* pragma)
{
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma))) && q.next())
        return q.value(0).toLongLong();
    return 0;
}

// The share of a copy that its last step, the sync to disk, is given.
constexpr int kSyncFrom = 950;

void syncAside(const QString& file, const Database::Progress& progress)
{
    runAside([&file] { syncToDisk(file); }, {}, progress, kSyncFrom);
}

// A copy that failed leaves nothing behind; one that is whole reaches the
// disk before it is reported done.
bool finishCopy(bool ok, const QString& target, const Database::Progress& progress)
{
    if (!ok) {
        Database::removeWithLogs(target);
        return false;
    }
    syncAside(target, progress);
    if (progress)
        progress(1000);
    return true;
}

QString siblingPath(const QString& name)
{
    return QDir(QFileInfo(Database::livePath()).absolutePath()).filePath(name);
}

}  // namespace

namespace Database {

// The share of a compaction that the copy takes; the check of the copy
// takes the rest.
constexpr int kCopyShare = 750;

QString compactionPath()
{
    return siblingPath(QLatin1String(ProgramFolder::kCompaction));
}

bool copyTo(QSqlDatabase db, const QString& target, QString* error, const Progress& progress)
{
    removeWithLogs(target);
    // SQLite writes into an empty file as into a new one.
    if (!createPrivateFile(target, error))
        return false;
    // The copy leaves out free pages, so it grows to the pages in use; its
    // size on disk tells how far it has come, since the pages reach the
    // file as the copy's small cache overflows.
    const double bytes =
        std::max<qint64>(1, (pragmaNumber(db, "page_count") - pragmaNumber(db, "freelist_count")) *
                                pragmaNumber(db, "page_size"));
    bool ok = false;
    {
        ProgressWatch watch(handleOf(db), part(progress, 0, kSyncFrom),
                            [&target, bytes] { return QFileInfo(target).size() / bytes; });
        QSqlQuery q(db);
        q.prepare(QStringLiteral("VACUUM INTO ?"));
        q.addBindValue(target);
        ok = q.exec();
        if (!ok && error)
            *error = q.lastError().text();
    }
    // VACUUM INTO does not sync its output.
    return finishCopy(ok, target, progress);
}

bool copyPages(const QString& source, const QString& target, QString* error, const Progress& progress)
{
    removeWithLogs(target);
    if (!createPrivateFile(target, error))
        return false;
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    // The source is opened for writing like any reader of a database whose
    // log may lie beside it; nothing is written to it.
    QString failure;
    int rc = sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        failure = QString::fromUtf8(from ? sqlite3_errmsg(from) : sqlite3_errstr(rc));
    } else {
        sqlite3_busy_timeout(from, int(LockWait::length().count()));
        rc = sqlite3_open_v2(target.toUtf8().constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK)
            failure = QString::fromUtf8(to ? sqlite3_errmsg(to) : sqlite3_errstr(rc));
    }
    if (rc == SQLITE_OK) {
        // A copy that fails is thrown away, so it needs no journal; it is
        // synced once, at the end.
        settle(from);
        settle(to);
        sqlite3_exec(to, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            rc = sqlite3_errcode(to);
            failure = QString::fromUtf8(sqlite3_errmsg(to));
        } else {
            QElapsedTimer clock;
            clock.start();
            qint64 next = 0;
            int busy = 0;
            do {
                // Eight thousand pages are 32 MB: a small part of a large
                // file, a few hundredths of a second.
                rc = sqlite3_backup_step(backup, 8192);
                if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                    if (++busy > 100)
                        break;
                    QThread::msleep(50);
                    continue;
                }
                const int total = sqlite3_backup_pagecount(backup);
                if (progress && total > 0 && clock.elapsed() >= next) {
                    next = clock.elapsed() + kReportEveryMs;
                    progress(toPermille(double(total - sqlite3_backup_remaining(backup)) / total) * kSyncFrom / 1000);
                }
            } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE && sqlite3_errcode(to) != SQLITE_OK)
                rc = sqlite3_errcode(to);
            if (rc != SQLITE_DONE)
                failure = QString::fromUtf8(sqlite3_errstr(rc));
        }
    }
    sqlite3_close_v2(to);
    sqlite3_close_v2(from);
    if (rc != SQLITE_DONE && error)
        *error = failure;
    return finishCopy(rc == SQLITE_DONE, target, progress);
}

bool replaceFile(const QString& replacement, const QString& file, QString* error)
{
    // A link stays; the file it points to is the one replaced.
    const QString target = ProgramFolder::linkTarget(file);
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString log = target + QLatin1String(suffix);
        if (QFileInfo::exists(log) && !QFile::remove(log)) {
            if (error)
                *error = QStringLiteral("无法删除 %1").arg(QFileInfo(log).fileName());
            removeWithLogs(replacement);
            return false;
        }
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(replacement + QLatin1String(suffix));
    keepModes(target, replacement);
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(replacement).toStdString(), QFile::encodeName(target).toStdString(),
                            ec);
    if (ec) {
        if (error)
            *error = QString::fromLocal8Bit(ec.message().c_str());
        removeWithLogs(replacement);
        return false;
    }
    syncToDisk(target);
    return true;
}

bool closeAndCompact(QString* error, const Progress& progress)
{
    const QString live = livePath();
    const QString temp = compactionPath();
    if (!sharedIsOpen()) {
        if (error)
            *error = QStringLiteral("数据库没有打开");
        return false;
    }
    bool ok = true;
    {
        QSqlDatabase db = shared();
        QSqlQuery q(db);
        // Everything in the log goes into door.db first; a log that cannot
        // be emptied means another program is using the database.
        if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) || !q.next() || q.value(0).toInt() != 0) {
            if (error)
                *error = q.lastError().isValid() ? q.lastError().text() : QStringLiteral("数据库正被其他程序使用");
            ok = false;
        }
        q.finish();
        if (ok)
            ok = copyTo(db, temp, error, part(progress, 0, kCopyShare));
    }
    closeShared();
    if (ok && heldElsewhere(live)) {
        if (error)
            *error = QStringLiteral("数据库正被其他程序使用");
        ok = false;
    }
    if (!ok) {
        removeWithLogs(temp);
        return false;
    }
    QString why;
    if (!checkFile(temp, &why, Contents::Tables, part(progress, kCopyShare, 1000))) {
        if (error)
            *error = why;
        removeWithLogs(temp);
        return false;
    }
    return replaceFile(temp, live, error);
}

bool heldElsewhere(const QString& file)
{
    // SQLite keeps the logs beside the file a link points to.
    const QString real = ProgramFolder::linkTarget(file);
    return QFileInfo::exists(real + QStringLiteral("-wal")) || QFileInfo::exists(real + QStringLiteral("-shm"));
}

}  // namespace Database
