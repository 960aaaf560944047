#pragma once
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <functional>

// Opening, creating, checking and replacing door.db.
//
// The database runs in WAL mode with synchronous=FULL: a committed
// collection must survive a power cut, because the controller's own copy
// may be cleared right after it.
namespace Database {

// How far a long step (a copy, a check) has come, in thousandths. It is
// called now and then from inside the step, on the thread that runs it,
// and must not use the database.
using Progress = std::function<void(int permille)>;

// The share `from`..`to` (in thousandths) of a longer piece of work that
// one of its steps takes: the step reports 0..1000, `whole` hears the
// share.
Progress part(const Progress& whole, int from, int to);

// The name of the shared connection `db`.
inline constexpr const char* kShared = "door";

QString fileName();          // "door.db"
QString livePath();          // door.db in the program folder, or the file it links to
QString compactionPath();    // dbs.db beside it, written and renamed by the closing compaction

enum class OpenStatus {
    Opened,
    Created,
    NotDoorDatabase,  // a readable database without the system's tables
    NotDatabase,      // not a database file at all
    Damaged,          // SQLite finds the file malformed
    Locked,           // another program holds the file
    CannotWrite,      // the file or its folder cannot be written
    CannotRead,       // the file cannot be read
    NotAFile,         // a folder (or a device) stands where the file should be
    Newer,            // made by a newer version of the program
    CannotOpen,       // any other failure
};
struct OpenResult {
    OpenStatus status = OpenStatus::CannotOpen;
    QString detail;
    bool ok() const { return status == OpenStatus::Opened || status == OpenStatus::Created; }
};

// What the operator is told when `file` could not be opened as `r` says:
// what is wrong, that the file was not changed, and the reason.
QString openMessage(const OpenResult& r, const QString& file);

// Opens the shared connection on door.db of the program folder. A folder
// without a database gets the delivered one first. An existing file that
// is not a door database is left untouched.
// Names written without their sort key by another tool get it now;
// `progress` hears how far that has come.
OpenResult openShared(const Progress& progress = {});
QSqlDatabase shared();
bool sharedIsOpen();
// Closes the shared connection; every copy of it becomes unusable.
void closeShared();

// Opens `file` as a door database on its own connection, with the
// program's settings applied; a database of an older version is brought
// up to date, one of a newer version is refused untouched. The caller
// removes the connection.
OpenResult openFile(const QString& file, const QString& connectionName);
// Gives the open connection `db` the settings every connection of the
// program runs with (its cache, its syncing); false with SQLite's message
// when it refused them.
bool applySettings(QSqlDatabase db, QSqlError* error = nullptr);
void removeConnection(const QString& connectionName);

// What a door database must hold: its tables and views, and for a file
// that is to become the live database also every column the program
// reads from them.
enum class Contents { Tables, TablesAndColumns };


// Checks a file without changing it: it opens, passes SQLite's quick check
// (every page readable, every b-tree and the free list well formed, no
// value breaking its column's constraint) and holds `contents`. The quick
// check reads the file once, so it costs about what a copy does; the full
// integrity check would also match every index against its table and
// takes ten times as long on a site's years of records.
// `status` learns what was wrong with a file that fails.
bool checkFile(const QString& file, QString* why = nullptr, Contents contents = Contents::Tables,
               const Progress& progress = {}, OpenStatus* status = nullptr);

// Looks only at what `file` holds, without reading all of it: for a file
// that is about to be copied and then checked as a copy.
bool checkContents(const QString& file, QString* why = nullptr, Contents contents = Contents::Tables);

// Brings the door database `file` (on no open connection) up to the
// current version; a file of the current version is left as it is. A file
// of a newer version is refused.
bool upgradeFile(const QString& file, QString* error = nullptr);

// Writes a new delivered database to `file` (which must not exist), for
// its owner only. The file appears complete or not at all.
bool createDelivered(const QString& file, QString* error = nullptr);

// Copies the database behind `db` into `target` through SQLite, so that
// what sits in its log is copied too. The target is synced to disk; a
// failed copy leaves no file behind.
bool copyTo(QSqlDatabase db, const QString& target, QString* error = nullptr, const Progress& progress = {});

// Copies the database file `source` page for page into the new file
// `target` (what lies in the source's log included), on connections of
// its own. The copy is what the source is, damage and all, so a check of
// the copy tells about the source too. The target is synced to disk; a
// failed copy leaves no file behind.
bool copyPages(const QString& source, const QString& target, QString* error = nullptr,
               const Progress& progress = {});

// Puts the complete, checked file `replacement` in place of `target`.
// No connection may be open on `target`. Its old logs are removed first,
// since SQLite would otherwise pair them with the new file. When this
// fails `target` is as it was and `replacement` is removed. A `target`
// that is a symbolic link stays one: the file it points to is replaced
// (`replacement` must lie on that file's disk).
bool replaceFile(const QString& replacement, const QString& target, QString* error = nullptr);

// Closing compaction: the shared connection's database is copied into
// dbs.db beside it, every connection is closed, and dbs.db takes the
// place of door.db. At no moment is there no complete database. The
// shared connection is closed afterwards whether or not it succeeded.
bool closeAndCompact(QString* error = nullptr, const Progress& progress = {});

// After this program has closed its own connections on `file`: true when
// another connection still holds it. SQLite removes the log when the last
// connection closes, so a log still there belongs to someone else (or to
// a close that could not empty it); replacing the file then would leave
// that connection writing into a file nobody reads.
bool heldElsewhere(const QString& file);

// True when `file` (if it exists) and its folder can be written; a
// read-only mount is told even where the modes would let the user write.
bool canWrite(const QString& file);

// Creates the empty file `file` for its owner only (0600): the copies of
// the database hold people's personal data. Fails when it exists.
bool createPrivateFile(const QString& file, QString* error = nullptr);

// Gives `file` the modes of `existing`, when that exists: a file written
// anew in place of another keeps the modes the other had.
void keepModes(const QString& existing, const QString& file);

// Removes `file` together with its -wal, -shm and -journal companions.
void removeWithLogs(const QString& file);

}  // namespace Database
