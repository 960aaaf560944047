#pragma once
#include "db/Database.h"
#include "db/ProgramFolder.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

#include <functional>

// A folder on a file system of its own that is mounted read-only once it
// has been filled: writes fail there even for root, whom file modes do not
// stop. Mounting needs the right to mount; `mounted()` tells whether it was
// granted (a test skips otherwise).
class ReadOnlyMount {
public:
    // `fill` writes the folder's files while it can still be written.
    explicit ReadOnlyMount(const std::function<void(const QString& folder)>& fill);
    ~ReadOnlyMount();
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;

    bool mounted() const { return readOnly_; }
    QString why() const { return why_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool readOnly_ = false;
    QString why_;
};

// The program folder on a 1 MiB file system of its own, with a new database
// open as the shared connection; fill() takes the space left, so that the
// next write that needs room fails as on a full disk. A test skips unless
// `ready` (mounting needs the right to mount).
struct FullDisk {
    QTemporaryDir dir;
    const bool ready = ::mount("door-test", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=1m") == 0 &&
                       (ProgramFolder::set(dir.path()), Database::openShared().ok());
    ~FullDisk() { Database::closeShared(), ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH); }
    void fill() const
    {
        QFile filler(dir.filePath(QStringLiteral("filler")));
        (void)filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        filler.write(QByteArray(1 << 20, 'x'));  // as much as fits
    }
};
