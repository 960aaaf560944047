#include "link/PortName.h"

#include <QDir>
#include <QFileInfo>

namespace PortName {

bool isValidNumber(int portNo)
{
    return portNo >= 1;
}

QString linkPath(int portNo, const QString& programFolder)
{
    const QString name = QStringLiteral("com%1").arg(portNo);
    QDir dir(programFolder);
    const QString exact = dir.filePath(name);
    if (programFolder.isEmpty() || QFileInfo(exact).isSymLink() || QFileInfo::exists(exact))
        return exact;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    }
    return exact;
}

QString device(int portNo, const QString& programFolder)
{
    if (!isValidNumber(portNo))
        return {};
    if (!programFolder.isEmpty()) {
        const QFileInfo link(linkPath(portNo, programFolder));
        if (link.isSymLink()) {
            const QString target = link.canonicalFilePath();
            // A link whose device is gone still names that device; opening
            // it then fails, which tells the operator more than a silent
            // fall-back to another port would.
            return target.isEmpty() ? link.symLinkTarget() : target;
        }
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNo);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNo - 1);
#endif
}

}  // namespace PortName
