#pragma once
#include "db/Database.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <functional>

// What the parts of the database code (opening, copying, file handling,
// progress) share among themselves; not for the rest of the program.
namespace Database::internal {

// What every connection of the program runs with, whatever opened it.
int settle(sqlite3* handle);

// The C handle behind a Qt connection, for what the driver does not offer
// (progress, cache statistics).
sqlite3* handleOf(QSqlDatabase db);

// Flushes a file (and on POSIX its folder entry) to the disk.
void syncToDisk(const QString& file);

// Why the existing file `file` cannot be read, or an empty text.
QString whyNotReadable(const QString& file);

// Why `file` (when it exists) or its folder cannot be written, or an empty
// text.
QString whyNotWritable(const QString& file);

// Progress is reported this often at most: enough for the bar to move
// smoothly, rare enough to cost nothing.
constexpr qint64 kReportEveryMs = 50;

inline int toPermille(double fraction)
{
    // 1000 means done, which only the caller knows.
    return std::clamp(static_cast<int>(fraction * 1000.0), 0, 999);
}

// Feeds a Progress from SQLite's progress handler while one statement runs
// on `db`. `measure` tells how far the statement has come (0..1).
class ProgressWatch {
public:
    ProgressWatch(sqlite3* db, const Database::Progress& report, std::function<double()> measure);
    ~ProgressWatch();
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

private:
    static int call(void* self);

    sqlite3* db_;
    Database::Progress report_;
    std::function<double()> measure_;
    QElapsedTimer clock_;
    qint64 next_ = 0;
};

// Runs `work` on a thread of its own while the calling thread reports
// `progress`, from `from` on, as `measure` tells it from the bytes that
// `work` has read from files so far (a fraction 0..1, or below 0 while
// unknown, which repeats the last report so that a window keeps painting).
// For steps that SQLite or the system carry out in one piece without
// calling back: the b-tree walk of a check, a sync to disk.
void runAside(const std::function<void()>& work, const std::function<double(qint64 bytesRead)>& measure,
              const Database::Progress& progress, int from = 0);

}  // namespace Database::internal
