#pragma once
#include <QString>
#include <QTemporaryDir>

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
