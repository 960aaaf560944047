#pragma once
#include <QString>

// The program folder holds door.db, the status file, the spool file and any
// report template that overrides the built-in one. It is chosen once at
// start (--home DIR, then DOOR_HOME, then the per-user data folder) and
// tests point it at a temporary folder of their own.
namespace ProgramFolder {

QString path();
void set(const QString& dir);

// The folder named by the command line or the environment, else the
// per-user data folder. The folder is created when it does not exist.
QString choose(const QStringList& arguments);

// A file in the program folder. A file whose name differs only in case is
// found as well, since the old program spelled some names both ways.
QString file(const QString& name);

}  // namespace ProgramFolder
