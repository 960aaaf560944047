#include "support/ReadOnlyMount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

ReadOnlyMount::ReadOnlyMount(const std::function<void(const QString& folder)>& fill)
{
    const QByteArray where = QFile::encodeName(dir_.path());
    if (::mount("door-test", where.constData(), "tmpfs", 0, "mode=0700") != 0) {
        why_ = QStringLiteral("cannot mount a file system here: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
    fill(dir_.path());
    if (::mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        why_ = QStringLiteral("cannot remount read-only: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    readOnly_ = true;
}

ReadOnlyMount::~ReadOnlyMount()
{
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}
