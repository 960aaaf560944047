#include "support/OpenWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

OpenWatch::OpenWatch(const QStringList& files) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (fd_ < 0)
        return;
    for (const QString& f : files) {
        const int wd = ::inotify_add_watch(fd_, QFile::encodeName(f).constData(), IN_OPEN);
        if (wd >= 0)
            watched_ << qMakePair(wd, QFileInfo(f).fileName());
    }
}

OpenWatch::~OpenWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QStringList OpenWatch::opened()
{
    QStringList names;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            for (const auto& [wd, name] : watched_) {
                if (wd == e->wd && (e->mask & IN_OPEN) && !names.contains(name))
                    names << name;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    return names;
}

QStringList OpenWatch::databaseFiles(const QString& folder)
{
    QStringList files;
    for (const char* name : {"door.db", "door.db-wal", "door.db-shm"}) {
        const QString f = QDir(folder).filePath(QString::fromLatin1(name));
        if (QFileInfo::exists(f))
            files << f;
    }
    return files;
}
