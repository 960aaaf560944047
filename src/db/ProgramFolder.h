#pragma once
#include <QString>

#include <optional>

// The program folder holds door.db, the status file, the spool file and any
// report template that overrides the built-in one. It is chosen once at
// start (--home DIR, then DOOR_HOME, then the per-user data folder) and
// tests point it at a temporary folder of their own.
namespace ProgramFolder {

QString path();
void set(const QString& dir);

// The folder named by the command line or the environment, else the
// per-user data folder. A folder that does not exist is created for its
// owner only (it holds people's identity-card numbers, phones and
// addresses); an existing one keeps the modes it has.
QString choose(const QStringList& arguments);

// From now on every file and folder this process creates is for its owner
// only (0600, 0700): door.db and its copies, SysInf.ini, the spool file,
// reports saved as PDF, whoever writes them. Called once, first thing at
// start. An existing file keeps its modes when it is written again.
void restrictNewFiles();

// A file in the program folder. A file whose name differs only in case is
// found as well, since the old program spelled some names both ways.
QString file(const QString& name);

// The program's own files in its folder, each named once here.
inline constexpr char kDatabase[] = "door.db";
inline constexpr char kCompaction[] = "dbs.db";   // the closing compaction's copy
inline constexpr char kLock[] = "door.lock";      // one program per folder
inline constexpr char kSpool[] = "seda.dat";      // collected records not yet stored
inline constexpr char kRejects[] = "seda.rej";    // collected lines that could not be read
inline constexpr char kStatus[] = "SysInf.ini";   // a controller's last status

// Where `path` leads once the links it is made of are followed, also when
// the last one dangles (a write creates that file); the folders above it
// stay as written.
QString linkTarget(const QString& path);

// The hidden name under which a backup or a restore writes its copy of
// `fileName` until the copy is checked, and whether `name` is such a copy
// (or one of its logs). Restores once named theirs ".restore-<id>.db".
QString temporaryCopyName(const QString& fileName);
bool isTemporaryCopy(const QString& name);

// One of the program's own files, as a path names it.
struct OwnFile {
    QString path;  // where the program keeps it
    QString what;  // what it holds, for the operator
};
// Which own file `path` would write or read, under any spelling: relative,
// with "..", through a symbolic link (the path's own or its folder's), in
// another case (the program matches its file names without regard to
// case), or as a hard link. door.db counts together with its -wal, -shm
// and -journal, beside door.db and, when door.db is a link, beside the
// file it points to.
std::optional<OwnFile> ownFile(const QString& path);
// What the operator is told when `path` is one of them; empty otherwise.
QString refusal(const QString& path);

}  // namespace ProgramFolder
