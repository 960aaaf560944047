#include "db/Database.h"

#include "db/ProgramFolder.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString uniqueConnectionName(const QString& stem)
{
    return stem + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool applySettings(QSqlDatabase db, QString* error)
{
    QSqlQuery q(db);
    // journal_mode answers with the mode it took.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next() ||
        q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL"))) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    // Years of passes make indexes of tens of megabytes; the default cache
    // of 2 MB would read most index pages of an import from the disk again.
    q.exec(QStringLiteral("PRAGMA cache_size=-65536"));
    return true;
}

// Flushes a file (and on POSIX its folder entry) to the disk.
void syncToDisk(const QString& file)
{
#ifdef Q_OS_UNIX
    int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    int dir = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#else
    QFile f(file);
    if (f.open(QIODevice::ReadWrite))
        f.flush();
#endif
}

// Looks at a file without writing to it. The connection is not opened
// read-only, since a read-only connection cannot read a database whose
// log lies beside it; query_only keeps it from writing.
bool inspect(const QString& file, bool integrity, QString* why)
{
    if (!QFileInfo(file).isFile()) {
        if (why)
            *why = QStringLiteral("文件不存在");
        return false;
    }
    const QString name = uniqueConnectionName(QStringLiteral("check"));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            if (why)
                *why = db.lastError().text();
        } else {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA query_only=1"));
            bool intact = true;
            if (integrity) {
                intact = q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() &&
                         q.value(0).toString() == QLatin1String("ok");
                if (!intact && why)
                    *why = q.lastError().isValid() ? q.lastError().text() : q.value(0).toString();
                q.finish();
            }
            if (intact)
                ok = Database::isDoorDatabase(db, why);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString siblingPath(const QString& name)
{
    return QDir(QFileInfo(Database::livePath()).absolutePath()).filePath(name);
}

}  // namespace

namespace Database {

QString fileName()
{
    return QStringLiteral("door.db");
}

QString livePath()
{
    return ProgramFolder::file(fileName());
}

QString compactionPath()
{
    return siblingPath(QStringLiteral("dbs.db"));
}

bool isDoorDatabase(QSqlDatabase db, QString* why)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view')"))) {
        if (why)
            *why = q.lastError().text();
        return false;
    }
    QStringList present;
    while (q.next())
        present << q.value(0).toString().toLower();
    for (const QString& name : Schema::requiredObjects()) {
        if (!present.contains(name.toLower())) {
            if (why)
                *why = QStringLiteral("缺少数据表 %1").arg(name);
            return false;
        }
    }
    return true;
}

bool checkFile(const QString& file, QString* why)
{
    return inspect(file, true, why);
}

bool createDelivered(const QString& file, QString* error)
{
    const QString temp = file + QStringLiteral(".new");
    removeWithLogs(temp);
    const QString name = uniqueConnectionName(QStringLiteral("create"));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temp);
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else {
            ok = db.transaction() && Schema::create(db, error) && Schema::insertDeliveredRows(db, error) &&
                 db.commit();
            if (!ok)
                db.rollback();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    // Logs left beside a database that is gone would be taken for the new
    // file's own and replayed into it.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString log = file + QLatin1String(suffix);
        if (ok && QFileInfo::exists(log) && !QFile::remove(log)) {
            ok = false;
            if (error)
                *error = QStringLiteral("无法删除 %1").arg(QFileInfo(log).fileName());
        }
    }
    if (ok) {
        syncToDisk(temp);
        std::error_code ec;
        std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(file).toStdString(), ec);
        if (ec) {
            ok = false;
            if (error)
                *error = QString::fromLocal8Bit(ec.message().c_str());
        }
    }
    if (!ok)
        removeWithLogs(temp);
    return ok;
}

OpenResult openFile(const QString& file, const QString& connectionName)
{
    OpenResult r;
    // Look at the file read-only first, so that a file that is not ours is
    // never given a log or a changed header.
    QString why;
    if (!inspect(file, false, &why)) {
        r.status = QFileInfo(file).isReadable() ? OpenStatus::NotDoorDatabase : OpenStatus::CannotOpen;
        r.detail = why;
        return r;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        r.status = OpenStatus::CannotOpen;
        r.detail = db.lastError().text();
        return r;
    }
    if (!applySettings(db, &r.detail)) {
        db.close();
        r.status = OpenStatus::CannotOpen;
        return r;
    }
    r.status = OpenStatus::Opened;
    return r;
}

void removeConnection(const QString& connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

OpenResult openShared()
{
    if (QSqlDatabase::contains(QLatin1String(kShared)))
        removeConnection(QLatin1String(kShared));
    const QString file = livePath();
    bool created = false;
    if (!QFileInfo::exists(file)) {
        OpenResult r;
        if (!createDelivered(file, &r.detail)) {
            r.status = OpenStatus::CannotOpen;
            return r;
        }
        created = true;
    }
    OpenResult r = openFile(file, QLatin1String(kShared));
    if (!r.ok())
        QSqlDatabase::removeDatabase(QLatin1String(kShared));
    else if (created)
        r.status = OpenStatus::Created;
    return r;
}

QSqlDatabase shared()
{
    return QSqlDatabase::database(QLatin1String(kShared), false);
}

bool sharedIsOpen()
{
    return QSqlDatabase::contains(QLatin1String(kShared)) && shared().isOpen();
}

void closeShared()
{
    if (QSqlDatabase::contains(QLatin1String(kShared)))
        removeConnection(QLatin1String(kShared));
}

bool copyTo(QSqlDatabase db, const QString& target, QString* error)
{
    removeWithLogs(target);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(target);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        removeWithLogs(target);
        return false;
    }
    // VACUUM INTO does not sync its output.
    syncToDisk(target);
    return true;
}

bool replaceFile(const QString& replacement, const QString& target, QString* error)
{
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

bool closeAndCompact(QString* error)
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
            ok = copyTo(db, temp, error);
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
    if (!checkFile(temp, &why)) {
        if (error)
            *error = why;
        removeWithLogs(temp);
        return false;
    }
    return replaceFile(temp, live, error);
}

bool heldElsewhere(const QString& file)
{
    return QFileInfo::exists(file + QStringLiteral("-wal")) || QFileInfo::exists(file + QStringLiteral("-shm"));
}

void removeWithLogs(const QString& file)
{
    QFile::remove(file);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

}  // namespace Database
