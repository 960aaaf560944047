#include "attendance/WordProcessor.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace WordProcessor {

bool open(const QString& file)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // xdg-open starts whether or not any program takes the file, so the
    // desktop is asked first which program it would hand the file to.
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!query.isEmpty() && !opener.isEmpty()) {
        const QString type = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
        QProcess p;
        p.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit ||
            p.readAllStandardOutput().trimmed().isEmpty())
            return false;
        return QProcess::startDetached(opener, {file});
    }
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

}  // namespace WordProcessor
