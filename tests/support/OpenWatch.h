#pragma once
#include <QString>
#include <QStringList>

// Watches files through the kernel (inotify) and tells which of them were
// opened, by any process, since the watch began or was last read.
class OpenWatch {
public:
    explicit OpenWatch(const QStringList& files);
    ~OpenWatch();
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool watching() const { return fd_ >= 0 && !watched_.isEmpty(); }
    // The names of the watched files opened since the last call, once each.
    QStringList opened();

    // door.db and its logs in `folder`, those of them that exist.
    static QStringList databaseFiles(const QString& folder);

private:
    int fd_ = -1;
    QList<QPair<int, QString>> watched_;
};
