#include "db/DatabaseInternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Database::internal;

namespace {

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

}  // namespace

namespace Database::internal {

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

QString whyNotReadable(const QString& file)
{
#ifdef Q_OS_UNIX
    const QString why = withheld(file, R_OK, 0444);
#else
    const QString why = QFileInfo(file).isReadable() ? QString() : QStringLiteral("没有读取的权限");
#endif
    return why.isEmpty() ? why : QStringLiteral("%1：%2").arg(QFileInfo(file).fileName(), why);
}

// access() tells a read-only mount even to root.
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

}  // namespace Database::internal

namespace Database {

bool canWrite(const QString& file)
{
    return whyNotWritable(file).isEmpty();
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
