#include "admin/BackupRestore.h"

#include "session/Session.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>

#include <filesystem>
#include <system_error>

namespace {

const char* const kLogSuffixes[] = {"-wal", "-shm", "-journal"};

QString canonical(const QString& file)
{
    const QFileInfo info(file);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : c;
}

bool renameOver(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec && error)
        *error = QString::fromLocal8Bit(ec.message().c_str());
    return !ec;
}

// Checks a finished copy; a copy that fails is removed.
bool checkCopy(const QString& copy, const BackupRestore::Hooks& hooks, Database::Contents contents, QString* error,
               const Database::Progress& progress)
{
    if (hooks.afterCopy)
        hooks.afterCopy(copy);
    QString why;
    if (Database::checkFile(copy, &why, contents, progress))
        return true;
    if (error)
        *error = QStringLiteral("副本检查未通过：%1").arg(why);
    Database::removeWithLogs(copy);
    return false;
}

// The share of a backup or a restore that the copy takes; the check of the
// copy takes the rest.
constexpr int kCopyShare = 750;

// Where a backup or a restore writes its copy of `target` until the copy
// is checked: hidden, beside the target, under a name of its own.
QString copyPath(const QString& target)
{
    const QFileInfo info(target);
    return QDir(info.absolutePath()).filePath(ProgramFolder::temporaryCopyName(info.fileName()));
}

// Copies left by backups and restores that were killed half-way, with
// their logs. A copy still being written (by a program on another folder
// backing up here) changes all the time; one untouched for this long is
// nobody's.
void removeStaleCopies(const QString& folder)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-10 * 60);
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral(".*.part*"), QStringLiteral(".restore-*")},
                                                           QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : files) {
        if (ProgramFolder::isTemporaryCopy(f.fileName()) && f.lastModified().toUTC() < before)
            QFile::remove(f.absoluteFilePath());
    }
}

// A restore's copy lies in the program folder, a backup's beside its
// target: both are looked at whichever job runs.
void removeStaleCopies(const QString& target, const QString& live)
{
    const QString folder = canonical(QFileInfo(target).absolutePath());
    const QString home = canonical(QFileInfo(live).absolutePath());
    removeStaleCopies(folder);
    if (home != folder)
        removeStaleCopies(home);
}

}  // namespace

namespace BackupRestore {

QString targetFor(const QString& folder, const QString& name)
{
    return targetForFile(folder, name + QStringLiteral(".db"));
}

QString targetForFile(const QString& folder, const QString& fileName)
{
    const QString sep = QDir::separator();
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(sep) ? folder + fileName
                                                                      : folder + QLatin1Char('/') + fileName;
}

bool isRefusedTarget(const QString& target)
{
    return QFileInfo(target).fileName().endsWith(Database::fileName(), Qt::CaseInsensitive) ||
           ProgramFolder::ownFile(target).has_value();
}

Outcome backup(QSqlDatabase db, const QString& target, const Hooks& hooks, const Database::Progress& progress)
{
    Outcome out;
    if (isRefusedTarget(target)) {
        out.error = QStringLiteral("目标文件不能是现有数据库");
        return out;
    }
    const QFileInfo info(target);
    if (info.isDir()) {
        out.error = QStringLiteral("%1 是一个文件夹").arg(target);
        return out;
    }
    // The copy is written beside the target under a name of its own, so
    // that an older copy of that name survives a copy that fails.
    removeStaleCopies(target, Database::livePath());
    const QString part = copyPath(target);
    if (!Database::copyTo(db, part, &out.error, Database::part(progress, 0, kCopyShare)))
        return out;
    if (!checkCopy(part, hooks, Database::Contents::Tables, &out.error, Database::part(progress, kCopyShare, 1000)))
        return out;
    // A log left beside an older copy would be paired with the new file.
    for (const char* suffix : kLogSuffixes) {
        const QString log = target + QLatin1String(suffix);
        if (QFileInfo::exists(log) && !QFile::remove(log)) {
            out.error = QStringLiteral("无法删除 %1").arg(log);
            Database::removeWithLogs(part);
            return out;
        }
    }
    Database::keepModes(target, part);
    if (!renameOver(part, target, &out.error)) {
        Database::removeWithLogs(part);
        return out;
    }
    out.ok = true;
    return out;
}

Choice checkChoice(const QString& file, QString* why, const Database::Progress& progress)
{
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return Choice::Missing;
    if (ProgramFolder::ownFile(file))
        return Choice::LiveFile;
    Database::OpenStatus status = Database::OpenStatus::CannotOpen;
    if (!Database::checkFile(file, why, Database::Contents::TablesAndColumns, progress, &status))
        return status == Database::OpenStatus::Newer ? Choice::Newer : Choice::NotDoorDatabase;
    return Choice::Usable;
}

RestoreOutcome restore(const QString& file, const Hooks& hooks, const Database::Progress& progress)
{
    RestoreOutcome out;
    // The chosen file is read through once, by the copy: the copy is that
    // file page for page, so the quick check of the copy below is the
    // file's own, and a damaged file is refused as surely as before.
    if (file.isEmpty() || !QFileInfo(file).isFile() || ProgramFolder::ownFile(file) ||
        !Database::checkContents(file, &out.error, Database::Contents::TablesAndColumns)) {
        out.status = RestoreStatus::NotUsable;
        return out;
    }
    const QString live = Database::livePath();
    removeStaleCopies(live, live);
    // A name of its own, which the chosen file cannot carry.
    const QString copy = copyPath(live);
    out.status = RestoreStatus::Failed;
    if (!Database::copyPages(file, copy, &out.error, Database::part(progress, 0, kCopyShare)))
        return out;
    // An older copy comes back in the shape this program works on.
    if (!Database::upgradeFile(copy, &out.error)) {
        Database::removeWithLogs(copy);
        return out;
    }
    if (!checkCopy(copy, hooks, Database::Contents::TablesAndColumns, &out.error,
                   Database::part(progress, kCopyShare, 1000)))
        return out;

    if (closeModelessWindows)
        closeModelessWindows();
    if (modelessWindowsOpen && modelessWindowsOpen()) {
        out.error = QStringLiteral("还有窗口正在工作，请等它完成并关闭后再恢复");
        Database::removeWithLogs(copy);
        return out;
    }
    Database::closeShared();
    bool replaced = false;
    if (Database::heldElsewhere(live)) {
        out.error = QStringLiteral("数据库正被其他程序使用");
        Database::removeWithLogs(copy);
    } else {
        replaced = Database::replaceFile(copy, live, &out.error);
    }
    const Database::OpenResult reopened = Database::openShared();
    Session::ConnectStr = Database::livePath();
    if (!replaced)
        return out;
    if (!reopened.ok()) {
        out.status = RestoreStatus::ReopenFailed;
        out.error = reopened.detail;
        return out;
    }
    out.status = RestoreStatus::Restored;
    return out;
}

}  // namespace BackupRestore
