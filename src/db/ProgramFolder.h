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

}  // namespace ProgramFolder
