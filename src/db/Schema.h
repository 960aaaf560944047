#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables, views and indexes of door.db and the rows a new database is
// delivered with. Table and field names keep the spelling the system has
// always used; SQLite resolves them without regard to case.
namespace Schema {

// Every table and view a door database holds.
QStringList requiredObjects();

// Creates every table, index and view on an empty database, in the shape
// of the newest version, and records that version. Runs in the caller's
// transaction. Returns false with the driver's message when a statement
// fails.
bool create(QSqlDatabase db, QString* error = nullptr);

// The shape of a database is numbered in its `PRAGMA user_version`. A file
// made before the shape was numbered holds 0 there, as every SQLite file
// does, and is known as a door database by its tables alone.
int version(QSqlDatabase db);
// The version this program makes and works on.
int currentVersion();

// Brings a door database of an older version up to the current one, one
// numbered step at a time, each step and its new version number in one
// transaction, so that a step that fails leaves the file at the version
// before it. A database of the current version is not written to.
bool upgrade(QSqlDatabase db, QString* error = nullptr);

// The five `system` rows with their delivered values; `titlePrefix` goes
// into `detail` of the row "串口号".
bool writeSystemRows(QSqlDatabase db, const QString& titlePrefix, QString* error = nullptr);

// The built-in operator quorvy/quorvy with every Yes/No field true.
bool insertBuiltInOperator(QSqlDatabase db, QString* error = nullptr);

// Delivered content: the system rows and the built-in operator.
bool insertDeliveredRows(QSqlDatabase db, QString* error = nullptr);

// The names of the 32 fields of `user`, in their fixed order.
QStringList userFields();
// Field position of right rN (counted from 0).
constexpr int rightPosition(int n) { return n + 4; }
constexpr int kRightCount = 25;

inline const char* kBuiltInOperator = "quorvy";

}  // namespace Schema
