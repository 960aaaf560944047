#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
QString& folder()
{
    static QString f;
    return f;
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

}  // namespace ProgramFolder
