#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
QString& folder()
{
    static QString f;
    return f;
}

const char* const kLogSuffixes[] = {"-wal", "-shm", "-journal"};

struct Named {
    const char* name;
    const char* what;
    bool logged;  // a database: its logs count with it
};
const Named kOwn[] = {
    {ProgramFolder::kDatabase, "这是系统正在使用的数据库", true},
    {ProgramFolder::kCompaction, "这是关闭系统时压缩数据库用的文件", true},
    {ProgramFolder::kLock, "这是防止系统在同一个文件夹中运行两次的锁文件", false},
    {ProgramFolder::kSpool, "这里存放采集来、还没有存入数据库的记录", false},
    {ProgramFolder::kRejects, "这里存放采集时读不出来的记录", false},
    {ProgramFolder::kStatus, "这是门禁控制器的状态文件", false},
};
const char* const kLogWhat = "这是数据库的日志，其中可能有还没有写进数据库的数据";
const char* const kCopyWhat = "这是备份或恢复数据库时的临时副本";

// The file system's own answer, so that links, "..", case folding and hard
// links all count; false when either is missing.
bool sameFile(const QString& a, const QString& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                       std::filesystem::path(QFile::encodeName(b).toStdString()), ec) &&
           !ec;
}

// The own files of a folder: the name each is known by and what it holds.
struct Place {
    QString folder;
    QList<std::pair<QString, QString>> names;
};

QList<Place> places()
{
    QList<Place> out;
    Place home{ProgramFolder::path(), {}};
    for (const Named& n : kOwn) {
        home.names.append({QLatin1String(n.name), QString::fromUtf8(n.what)});
        if (n.logged) {
            for (const char* log : kLogSuffixes)
                home.names.append({QLatin1String(n.name) + QLatin1String(log), QString::fromUtf8(kLogWhat)});
        }
    }
    out.append(home);
    // SQLite keeps the logs of a linked database beside the file it opens.
    const QString live = ProgramFolder::file(QLatin1String(ProgramFolder::kDatabase));
    const QString target = ProgramFolder::linkTarget(live);
    if (QFileInfo(live).isSymLink()) {
        // The database's own copies are made beside the file as well.
        const QFileInfo t(target);
        Place there{t.absolutePath(), {}};
        for (const Named& n : kOwn) {
            if (!n.logged)
                continue;
            const QString name = qstrcmp(n.name, ProgramFolder::kDatabase) == 0 ? t.fileName() : QLatin1String(n.name);
            there.names.append({name, QString::fromUtf8(n.what)});
            for (const char* log : kLogSuffixes)
                there.names.append({name + QLatin1String(log), QString::fromUtf8(kLogWhat)});
        }
        out.append(there);
    }
    return out;
}

}  // namespace

namespace ProgramFolder {

QString path()
{
    return folder();
}

void set(const QString& dir)
{
    folder() = QDir(dir).absolutePath();
}

QString choose(const QStringList& arguments)
{
    QString dir;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--home") && i + 1 < arguments.size()) {
            dir = arguments.at(i + 1);
            break;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            dir = a.mid(7);
            break;
        }
    }
    if (dir.isEmpty())
        dir = qEnvironmentVariable("DOOR_HOME");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString absolute = QDir(dir).absolutePath();
    if (!QFileInfo::exists(absolute)) {
        // The folders above it are ordinary ones; only the program folder
        // itself is private.
        QDir().mkpath(QFileInfo(absolute).absolutePath());
        QDir().mkdir(absolute, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return absolute;
}

void restrictNewFiles()
{
#ifdef Q_OS_UNIX
    ::umask(S_IRWXG | S_IRWXO);
#endif
}

QString file(const QString& name)
{
    QDir dir(path());
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    }
    return exact;
}

QString linkTarget(const QString& path)
{
    // Made absolute without folding "..": the system takes ".." after the
    // link before it, not instead of it.
    QString p = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(p);
        if (!info.isSymLink())
            break;
        p = info.symLinkTarget();
    }
    return p;
}

QString temporaryCopyName(const QString& fileName)
{
    return QStringLiteral(".%1.%2.part").arg(fileName, QUuid::createUuid().toString(QUuid::Id128));
}

bool isTemporaryCopy(const QString& name)
{
    static const QRegularExpression ours(
        QStringLiteral("^\\.(.+\\.[0-9a-f]{32}\\.part|restore-[0-9a-f]{32}\\.db)(-journal|-wal|-shm)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return ours.match(name).hasMatch();
}

std::optional<OwnFile> ownFile(const QString& path)
{
    if (path.isEmpty() || folder().isEmpty())
        return std::nullopt;
    const QString target = ProgramFolder::linkTarget(path);
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    const QString in = target.left(std::max<qsizetype>(slash, 1)), fileName = target.mid(slash + 1);
    if (isTemporaryCopy(fileName))
        return OwnFile{QDir::cleanPath(target), QString::fromUtf8(kCopyWhat)};
    for (const Place& place : places()) {
        const bool here = sameFile(in, place.folder);
        for (const auto& [name, what] : place.names) {
            const QString own = place.folder == folder() ? file(name) : QDir(place.folder).filePath(name);
            if ((here && fileName.compare(name, Qt::CaseInsensitive) == 0) || sameFile(target, own))
                return OwnFile{own, what};
        }
    }
    return std::nullopt;
}

QString refusal(const QString& path)
{
    const std::optional<OwnFile> own = ownFile(path);
    if (!own)
        return QString();
    return QStringLiteral("不能使用“%1”：%2，不能用来保存或打开别的内容。请另选一个文件。")
        .arg(QDir::toNativeSeparators(own->path), own->what);
}

}  // namespace ProgramFolder
