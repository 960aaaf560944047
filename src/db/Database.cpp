#include "db/Database.h"
#include "db/LockWait.h"

#include "db/NameKey.h"

#include "db/ProgramFolder.h"
#include "db/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// What every connection of the program runs with, whatever opened it.
// Years of passes make indexes of tens of megabytes; with SQLite's default
// cache of 2 MB an import reads most index pages from the disk again and
// a sorter spills to temporary files.
int settle(sqlite3* handle)
{
    return handle ? sqlite3_exec(handle, "PRAGMA synchronous=FULL; PRAGMA cache_size=-65536", nullptr, nullptr, nullptr)
                  : SQLITE_MISUSE;
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

#ifdef Q_OS_UNIX
// Why `path` does not grant `how` (R_OK, W_OK), or an empty text. Modes
// that grant it to nobody (`bits` all clear) are taken at their word by
// root too, whom modes do not stop: the owner marked the file so.
QString withheld(const QString& path, int how, mode_t bits)
{
    const QByteArray name = QFile::encodeName(path);
    if (::access(name.constData(), how) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat info;
    if (::stat(name.constData(), &info) == 0 && (info.st_mode & bits) == 0)
        return QStringLiteral("权限是 %1，不允许%2")
            .arg(QString::number(info.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')),
                 how == W_OK ? QStringLiteral("写入") : QStringLiteral("读取"));
    return QString();
}
#endif

// Why the existing file `file` cannot be read, or an empty text.
QString whyNotReadable(const QString& file)
{
#ifdef Q_OS_UNIX
    const QString why = withheld(file, R_OK, 0444);
#else
    const QString why = QFileInfo(file).isReadable() ? QString() : QStringLiteral("没有读取的权限");
#endif
    return why.isEmpty() ? why : QStringLiteral("%1：%2").arg(QFileInfo(file).fileName(), why);
}

// Why `file` (when it exists) or its folder cannot be written, or an empty
// text. access() tells a read-only mount even to root.
QString whyNotWritable(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
#ifdef Q_OS_UNIX
    QString why = withheld(folder, W_OK, 0222);
    if (why.isEmpty() && QFileInfo::exists(file)) {
        why = withheld(file, W_OK, 0222);
        return why.isEmpty() ? why : QStringLiteral("%1：%2").arg(QFileInfo(file).fileName(), why);
    }
#else
    QString why = QFileInfo(folder).isWritable() ? QString() : QStringLiteral("没有写入的权限");
    if (why.isEmpty() && QFileInfo::exists(file))
        return QFileInfo(file).isWritable() ? QString()
                                            : QStringLiteral("%1：没有写入的权限").arg(QFileInfo(file).fileName());
#endif
    return why.isEmpty() ? why : QStringLiteral("文件夹 %1：%2").arg(QDir::toNativeSeparators(folder), why);
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

// Progress is reported this often at most: enough for the bar to move
// smoothly, rare enough to cost nothing.
constexpr qint64 kReportEveryMs = 50;

int toPermille(double fraction)
{
    // 1000 means done, which only the caller knows.
    return std::clamp(static_cast<int>(fraction * 1000.0), 0, 999);
}

// Feeds a Progress from SQLite's progress handler while one statement runs
// on `db`. `measure` tells how far the statement has come (0..1).
class ProgressWatch {
public:
    ProgressWatch(sqlite3* db, const Database::Progress& report, std::function<double()> measure)
        : db_(report ? db : nullptr), report_(report), measure_(std::move(measure))
    {
        if (!db_)
            return;
        clock_.start();
        // A call every thousand virtual-machine steps is a few thousand
        // calls a second; each looks at a clock and nothing more.
        sqlite3_progress_handler(db_, 1000, &ProgressWatch::call, this);
    }
    ~ProgressWatch()
    {
        if (db_)
            sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    }
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

private:
    static int call(void* self)
    {
        auto* w = static_cast<ProgressWatch*>(self);
        const qint64 now = w->clock_.elapsed();
        if (now >= w->next_) {
            w->next_ = now + kReportEveryMs;
            w->report_(toPermille(w->measure_()));
        }
        return 0;
    }

    sqlite3* db_;
    Database::Progress report_;
    std::function<double()> measure_;
    QElapsedTimer clock_;
    qint64 next_ = 0;
};

qint64 pragmaNumber(QSqlDatabase db, const char* pragma)
{
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma))) && q.next())
        return q.value(0).toLongLong();
    return 0;
}

qint64 currentThread()
{
#ifdef Q_OS_LINUX
    return ::gettid();
#else
    return 0;
#endif
}

// Bytes a thread of this process has read from files so far, or -1 where
// the system does not tell.
qint64 bytesReadBy(qint64 thread)
{
    QFile io(QStringLiteral("/proc/self/task/%1/io").arg(thread));
    if (thread <= 0 || !io.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key("rchar:");
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().toLongLong();
    }
    return -1;
}

// Runs `work` on a thread of its own while the calling thread reports
// `progress`, from `from` on, as `measure` tells it from the bytes that
// `work` has read from files so far (a fraction 0..1, or below 0 while
// unknown, which repeats the last report so that a window keeps painting).
// For steps that SQLite or the system carry out in one piece without
// calling back: the b-tree walk of a check, a sync to disk.
void runAside(const std::function<void()>& work, const std::function<double(qint64 bytesRead)>& measure,
              const Database::Progress& progress, int from = 0)
{
    if (!progress) {
        work();
        return;
    }
    std::mutex m;
    std::condition_variable finished;
    bool done = false;
    std::atomic<qint64> thread{0};
    std::atomic<qint64> readBefore{-1};
    std::thread worker([&] {
        const qint64 self = currentThread();
        readBefore = bytesReadBy(self);
        thread = self;
        work();
        std::lock_guard lock(m);
        done = true;
        finished.notify_one();
    });
    int last = from;
    std::unique_lock lock(m);
    while (!finished.wait_for(lock, std::chrono::milliseconds(kReportEveryMs), [&] { return done; })) {
        lock.unlock();
        const qint64 now = thread ? bytesReadBy(thread) : -1;
        const double fraction = measure && now >= 0 && readBefore >= 0 ? measure(now - readBefore) : -1;
        if (fraction >= 0)
            last = std::max(last, toPermille(fraction));
        progress(last);
        lock.lock();
    }
    lock.unlock();
    worker.join();
}

// The share of a copy that its last step, the sync to disk, is given.
constexpr int kSyncFrom = 950;

void syncAside(const QString& file, const Database::Progress& progress)
{
    runAside([&file] { syncToDisk(file); }, {}, progress, kSyncFrom);
}

// What an SQLite failure on `file` says of it. The driver reports SQLite's
// result code, of which the low byte is the primary one.
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

// Whether `db` holds what `contents` asks for: Opened when it does,
// NotDoorDatabase when something is missing, else what stopped the look.
Database::OpenStatus doorContents(QSqlDatabase db, QString* why, Database::Contents contents, const QString& file);

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

QString siblingPath(const QString& name)
{
    return QDir(QFileInfo(Database::livePath()).absolutePath()).filePath(name);
}

}  // namespace

namespace Database {

// The share of a compaction that the copy takes; the check of the copy
// takes the rest.
constexpr int kCopyShare = 750;

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

Progress part(const Progress& whole, int from, int to)
{
    if (!whole)
        return {};
    return [whole, from, to](int permille) { whole(from + (to - from) * permille / 1000); };
}

}  // namespace Database

namespace {

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

}  // namespace

namespace Database {

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

bool canWrite(const QString& file)
{
    return whyNotWritable(file).isEmpty();
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
    return QFileInfo::exists(file + QStringLiteral("-wal")) || QFileInfo::exists(file + QStringLiteral("-shm"));
}

bool createPrivateFile(const QString& file, QString* error)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

void keepModes(const QString& existing, const QString& file)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(existing).constData(), &info) == 0)
        ::chmod(QFile::encodeName(file).constData(), info.st_mode & 07777);
#else
    if (QFileInfo::exists(existing))
        QFile::setPermissions(file, QFile::permissions(existing));
#endif
}

void removeWithLogs(const QString& file)
{
    QFile::remove(file);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

}  // namespace Database
