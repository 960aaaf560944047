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

// Creates every table, index and view on an empty database. Returns false
// with the driver's message when a statement fails.
bool create(QSqlDatabase db, QString* error = nullptr);

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
