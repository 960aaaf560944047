#pragma once
#include "db/Database.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

// Copies of door.db: written while the program keeps working, and put back
// in place of the live database.
namespace BackupRestore {

// The target of a backup named in the window: the folder, a separator
// unless the folder ends with one, the name and ".db".
QString targetFor(const QString& folder, const QString& name);
// The target when an existing file is chosen: that very file.
QString targetForFile(const QString& folder, const QString& fileName);

// A copy may never take the live database's name, in any folder and any
// case, nor be written over any of the program's own files.
bool isRefusedTarget(const QString& target);

struct Hooks {
    // Runs on the finished copy before it is checked (tests damage it here).
    std::function<void(const QString& copy)> afterCopy;
};

struct Outcome {
    bool ok = false;
    QString error;
};

// Writes a compacted copy of the database behind `db` to `target` through
// SQLite while `db` stays open and in use. An existing target is replaced
// only by a complete, checked copy; a failed copy leaves no file behind.
Outcome backup(QSqlDatabase db, const QString& target, const Hooks& hooks = {},
               const Database::Progress& progress = {});

enum class Choice { Usable, Missing, LiveFile, NotDoorDatabase, Newer };
// Whether `file` may be restored: an existing door database (it opens,
// passes the quick check, holds every table and column the program reads)
// that is none of the program's own files (LiveFile: the live database,
// its logs, the compaction's copy...), nor made by a newer version of the
// program.
Choice checkChoice(const QString& file, QString* why = nullptr, const Database::Progress& progress = {});

enum class RestoreStatus {
    Restored,
    NotUsable,      // checkChoice refused the file; nothing was touched
    Failed,         // the live database is as it was
    ReopenFailed,   // the copy is in place but the connection did not open
};

struct RestoreOutcome {
    RestoreStatus status = RestoreStatus::Failed;
    QString error;
};

// Puts a copy of `file` in place of door.db. The copy is made page for
// page through SQLite into a new file beside the live one (so what sits in
// the chosen file's own log comes along) and checked as checkChoice checks
// a file; only then are the modeless windows and the shared connection
// closed, the logs of the live file removed and the copy renamed over it.
// The shared connection is opened again in every case.
RestoreOutcome restore(const QString& file, const Hooks& hooks = {}, const Database::Progress& progress = {});

// Closes the windows that stay open beside the main window, since they
// hold the shared connection. Set by the main window.
inline std::function<void()> closeModelessWindows;
// True while one of those windows is still open after being asked to close
// (its exchange with a controller waits). Set by the main window.
inline std::function<bool()> modelessWindowsOpen;

}  // namespace BackupRestore
