#include "db/Database.h"
#include "db/DatabaseInternal.h"
#include "db/LockWait.h"

#include "db/NameKey.h"

#include "db/ProgramFolder.h"
#include "db/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

using namespace Database::internal;

namespace {

QString uniqueConnectionName(const QString& stem)
{
    return stem + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Opens a connection of its own to `file` for `work`, which reads
// db.isOpen() and lastError() for a file that did not open, then closes it
// and takes it away: a check or a creation never shares a connection.
template <typename Work>
void onOwnConnection(const char* stem, const QString& file, Work&& work)
{
    const QString name = uniqueConnectionName(QLatin1String(stem));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(LockWait::connectOptions());
        if (db.open())
            Database::applySettings(db);
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Where the log lives is the file's: a check or a copy leaves it as it is.
bool useWriteAheadLog(QSqlDatabase db, QSqlError* error)
{
    QSqlQuery q(db);
    // journal_mode answers with the mode it took.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next() ||
        q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        // SQLite keeps the old journal mode without an error where the
        // file cannot be written or the file system cannot share memory.
        *error = q.lastError().isValid()
                     ? q.lastError()
                     : QSqlError(QStringLiteral("数据库不能切换到预写日志（WAL）模式"), QString(),
                                 QSqlError::ConnectionError, QString::number(SQLITE_CANTOPEN));
        return false;
    }
    return true;
}

// True when SQLite fell back to opening `db` read-only, where the checks
// before the open cannot see why (the rights of another system).
bool openedReadOnly(QSqlDatabase db, QSqlError* failure)
{
    sqlite3* h = handleOf(db);
    if (!h || sqlite3_db_readonly(h, "main") != 1)
        return false;
    *failure = QSqlError(QStringLiteral("数据库只能以只读方式打开"), QString(), QSqlError::ConnectionError,
                         QString::number(SQLITE_READONLY));
    return true;
}

// What an SQLite failure on `file` says of it. The driver reports SQLite's
// result code, of which the low byte is the primary one.
Database::OpenStatus classify(const QSqlError& e, const QString& file)
{
    using Database::OpenStatus;
    switch (e.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return OpenStatus::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM: return OpenStatus::CannotWrite;
    case SQLITE_CORRUPT: return OpenStatus::Damaged;
    case SQLITE_NOTADB: return OpenStatus::NotDatabase;
    default: break;
    }
    // A database in a folder that cannot be written cannot be opened for
    // its log either; that is no fault of the file.
    return Database::canWrite(file) ? OpenStatus::CannotOpen : OpenStatus::CannotWrite;
}

bool quickCheck(QSqlDatabase db, QString* why, Database::OpenStatus* failure, const QString& file)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
        if (why)
            *why = q.lastError().text();
        *failure = classify(q.lastError(), file);
        return false;
    }
    if (q.next() && q.value(0).toString() == QLatin1String("ok"))
        return true;
    if (why)
        *why = q.value(0).toString();
    *failure = Database::OpenStatus::Damaged;
    return false;
}

// The columns of every table and view of a new door database, by lower-case
// name: taken from the schema itself, so that the check cannot fall behind it.
const QHash<QString, QStringList>& deliveredColumns()
{
    static const QHash<QString, QStringList> columns = [] {
        QHash<QString, QStringList> result;
        onOwnConnection("schema", QStringLiteral(":memory:"), [&](QSqlDatabase db) {
            if (db.isOpen() && Schema::create(db)) {
                QSqlQuery q(db);
                for (const QString& object : Schema::requiredObjects()) {
                    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
                    q.addBindValue(object);
                    QStringList names;
                    if (q.exec()) {
                        while (q.next())
                            names << q.value(0).toString().toLower();
                    }
                    result.insert(object.toLower(), names);
                }
            }
        });
        return result;
    }();
    return columns;
}

// Whether `db` holds what `contents` asks for: Opened when it does,
// NotDoorDatabase when something is missing, else what stopped the look.
Database::OpenStatus doorContents(QSqlDatabase db, QString* why, Database::Contents contents, const QString& file)
{
    using namespace Database;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view')"))) {
        if (why)
            *why = q.lastError().text();
        return classify(q.lastError(), file);
    }
    QStringList present;
    while (q.next())
        present << q.value(0).toString().toLower();
    for (const QString& name : Schema::requiredObjects()) {
        if (!present.contains(name.toLower())) {
            if (why)
                *why = QStringLiteral("缺少数据表 %1").arg(name);
            return OpenStatus::NotDoorDatabase;
        }
    }
    if (contents == Contents::Tables)
        return OpenStatus::Opened;
    const QHash<QString, QStringList>& wanted = deliveredColumns();
    for (const QString& name : Schema::requiredObjects()) {
        q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        q.addBindValue(name);
        if (!q.exec()) {
            if (why)
                *why = q.lastError().text();
            return classify(q.lastError(), file);
        }
        QStringList held;
        while (q.next())
            held << q.value(0).toString().toLower();
        for (const QString& column : wanted.value(name.toLower())) {
            if (!held.contains(column)) {
                if (why)
                    *why = QStringLiteral("数据表 %1 缺少字段 %2").arg(name, column);
                return OpenStatus::NotDoorDatabase;
            }
        }
    }
    return OpenStatus::Opened;
}

enum class Depth { ContentsOnly, QuickCheck };

// Looks at a file without writing to it. The connection is not opened
// read-only, since a read-only connection cannot read a database whose
// log lies beside it; query_only keeps it from writing. A file of an
// older version need not hold the columns of the current one, since it
// gets them before it is used.
Database::OpenStatus inspect(const QString& file, Depth depth, Database::Contents contents, QString* why,
                             int* version = nullptr)
{
    using Database::OpenStatus;
    if (!QFileInfo(file).isFile()) {
        const bool there = QFileInfo::exists(file);
        if (why)
            *why = !there                    ? QStringLiteral("文件不存在")
                   : QFileInfo(file).isDir() ? QStringLiteral("%1 是一个文件夹").arg(QFileInfo(file).fileName())
                                             : QStringLiteral("%1 不是普通文件").arg(QFileInfo(file).fileName());
        return there ? OpenStatus::NotAFile : OpenStatus::CannotOpen;
    }
    OpenStatus status = OpenStatus::CannotOpen;
    onOwnConnection("check", file, [&](QSqlDatabase db) {
        if (!db.isOpen()) {
            if (why)
                *why = db.lastError().text();
            status = classify(db.lastError(), file);
        } else {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA query_only=1"));
            q.finish();
            if (depth == Depth::ContentsOnly || quickCheck(db, why, &status, file)) {
                status = doorContents(db, why, Database::Contents::Tables, file);
                const int held = Schema::version(db);
                if (version)
                    *version = held;
                if (status == OpenStatus::Opened && held > Schema::currentVersion()) {
                    status = OpenStatus::Newer;
                    if (why)
                        *why = QStringLiteral("数据库版本 %1，本程序只认识到版本 %2")
                                   .arg(held)
                                   .arg(Schema::currentVersion());
                } else if (status == OpenStatus::Opened && contents == Database::Contents::TablesAndColumns &&
                           held == Schema::currentVersion()) {
                    status = doorContents(db, why, contents, file);
                }
            }
        }
    });
    return status;
}

}  // namespace

namespace Database::internal {

// What every connection of the program runs with, whatever opened it.
// Years of passes make indexes of tens of megabytes; with SQLite's default
// cache of 2 MB an import reads most index pages from the disk again and
// a sorter spills to temporary files. Each query grid reads on a
// connection of its own, whose cache starts empty: the file is mapped, so
// that its first page reads of a file the system holds are not a system
// call and a copy each.
int settle(sqlite3* handle)
{
    return handle ? sqlite3_exec(handle, "PRAGMA synchronous=FULL; PRAGMA cache_size=-65536; PRAGMA mmap_size=1073741824",
                                 nullptr, nullptr, nullptr)
                  : SQLITE_MISUSE;
}

// The C handle behind a Qt connection, for what the driver does not offer
// (progress, cache statistics). Qt's SQLite driver and this program use
// the same system library.
sqlite3* handleOf(QSqlDatabase db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

}  // namespace Database::internal

namespace Database {

QString fileName()
{
    return QLatin1String(ProgramFolder::kDatabase);
}

// door.db may be a link to a database on another disk: SQLite works on the
// file it points to, and so does everything that replaces or checks it.
QString livePath()
{
    return ProgramFolder::linkTarget(ProgramFolder::file(fileName()));
}

bool applySettings(QSqlDatabase db, QSqlError* error)
{
    sqlite3* handle = handleOf(db);
    const int rc = settle(handle);
    if (rc == SQLITE_OK)
        return true;
    if (error)
        *error = QSqlError(QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc)), QString(),
                           QSqlError::ConnectionError, QString::number(rc));
    return false;
}

bool checkFile(const QString& file, QString* why, Contents contents, const Progress& progress, OpenStatus* status)
{
    // The check reads every page once (of the log too), then the rows of
    // the tables with NOT NULL columns again; on a site's records those
    // (the cards, the people and the attendance) are about half the file.
    const double bytes = std::max<qint64>(
        1, (QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size()) * 3 / 2);
    OpenStatus found = OpenStatus::CannotOpen;
    runAside([&] { found = inspect(file, Depth::QuickCheck, contents, why); },
             [bytes](qint64 read) { return read / bytes; }, progress);
    if (status)
        *status = found;
    const bool ok = found == OpenStatus::Opened;
    if (ok && progress)
        progress(1000);
    return ok;
}

bool checkContents(const QString& file, QString* why, Contents contents)
{
    return inspect(file, Depth::ContentsOnly, contents, why) == OpenStatus::Opened;
}

bool createDelivered(const QString& file, QString* error)
{
    const QString temp = file + QStringLiteral(".new");
    removeWithLogs(temp);
    if (!createPrivateFile(temp, error))
        return false;
    bool ok = false;
    onOwnConnection("create", temp, [&](QSqlDatabase db) {
        if (!db.isOpen()) {
            if (error)
                *error = db.lastError().text();
        } else {
            ok = db.transaction() && Schema::create(db, error) && Schema::insertDeliveredRows(db, error) &&
                 db.commit();
            if (!ok)
                db.rollback();
        }
    });
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
    // SQLite would open a file it cannot write read-only without a word
    // (every save failing later), and leave the logs of a read-only
    // connection behind: such a file is not opened at all.
    if (QFileInfo(file).isFile()) {
        if (!(r.detail = whyNotReadable(file)).isEmpty()) {
            r.status = OpenStatus::CannotRead;
            return r;
        }
        if (!(r.detail = whyNotWritable(file)).isEmpty()) {
            r.status = OpenStatus::CannotWrite;
            return r;
        }
    }
    // Look at the file read-only first, so that a file that is not ours, or
    // one a newer program made, is never given a log or a changed header.
    int held = 0;
    r.status = inspect(file, Depth::ContentsOnly, Contents::Tables, &r.detail, &held);
    if (r.status != OpenStatus::Opened)
        return r;
    const bool older = held < Schema::currentVersion();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(LockWait::connectOptions());
    QSqlError failure;
    if (!db.open())
        failure = db.lastError();
    else if (openedReadOnly(db, &failure))
        db.close();
    else if (!useWriteAheadLog(db, &failure) || !Database::applySettings(db, &failure))
        db.close();
    else if (older && !Schema::upgrade(db, &r.detail)) {
        failure = db.lastError();
        db.close();
        r.status = canWrite(file) ? OpenStatus::CannotOpen : OpenStatus::CannotWrite;
        r.detail = QStringLiteral("升级到版本 %1 失败：%2").arg(Schema::currentVersion()).arg(r.detail);
        return r;
    }
    if (failure.isValid()) {
        r.status = classify(failure, file);
        r.detail = failure.text();
        return r;
    }
    r.status = OpenStatus::Opened;
    return r;
}

bool upgradeFile(const QString& file, QString* error)
{
    const QString name = uniqueConnectionName(QStringLiteral("upgrade"));
    const OpenResult r = openFile(file, name);
    if (!r.ok() && error)
        *error = r.detail;
    removeConnection(name);
    return r.ok();
}

QString openMessage(const OpenResult& r, const QString& file)
{
    const QString untouched = QStringLiteral("该文件没有被改动。");
    QString what;
    switch (r.status) {
    case OpenStatus::Opened:
    case OpenStatus::Created: return QString();
    case OpenStatus::NotDoorDatabase: what = QStringLiteral("%1 不是门禁系统的数据库，程序不能运行。"); break;
    case OpenStatus::NotDatabase:
        what = QStringLiteral("%1 不是数据库文件（也许是别的程序的文件），程序不能运行。");
        break;
    case OpenStatus::Damaged: what = QStringLiteral("数据库 %1 已损坏，程序不能运行。请用备份恢复。"); break;
    case OpenStatus::Locked:
        what = QStringLiteral("数据库 %1 正被其他程序锁住，程序不能运行。请关闭那个程序后再试。");
        break;
    case OpenStatus::CannotWrite:
        what = QStringLiteral("数据库 %1 或它所在的文件夹不能写入，程序不能运行。请检查文件夹的权限或磁盘。");
        break;
    case OpenStatus::CannotRead: what = QStringLiteral("数据库 %1 不能读取，程序不能运行。请检查文件的权限。"); break;
    case OpenStatus::NotAFile: what = QStringLiteral("%1 不是一个文件，程序不能运行。"); break;
    case OpenStatus::Newer:
        what = QStringLiteral("数据库 %1 由较新版本的门禁管理系统建立，本程序不能使用它。");
        break;
    case OpenStatus::CannotOpen: what = QStringLiteral("无法打开数据库 %1，程序不能运行。"); break;
    }
    return QStringLiteral("%1\n%2\n\n原因：%3").arg(what.arg(file), untouched, r.detail);
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

OpenResult openShared(const Progress& progress)
{
    if (QSqlDatabase::contains(QLatin1String(kShared)))
        removeConnection(QLatin1String(kShared));
    const QString file = livePath();
    bool created = false;
    if (!QFileInfo::exists(file)) {
        OpenResult r;
        if (!createDelivered(file, &r.detail)) {
            r.status = canWrite(file) ? OpenStatus::CannotOpen : OpenStatus::CannotWrite;
            return r;
        }
        created = true;
    }
    OpenResult r = openFile(file, QLatin1String(kShared));
    // Names written by another tool since the last start get their keys;
    // a file that cannot take them now still opens, and its listings by
    // name fill them when they can.
    if (r.ok())
        NameKey::fillAll(shared(), nullptr, progress);
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

}  // namespace Database
