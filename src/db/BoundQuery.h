#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Statements whose values are bound in order, one `?` each.
namespace BoundQuery {

// Prepares `sql` on `q`, binds `values` and executes it; false when the
// database refused either step (the error stays on `q`).
bool run(QSqlQuery& q, const QString& sql, const QVariantList& values);

// The executed statement for a grid or list that reads its rows lazily
// and may step back. A statement the database refused is not active and
// carries the error.
QSqlQuery scrollable(QSqlDatabase db, const QString& sql, const QVariantList& values);

// The first field of every row as text; empty when the statement fails.
QStringList firstColumn(QSqlDatabase db, const QString& sql);

// The first field of every row as text with blanks at both ends removed,
// leaving out empty values and repeats, for a pick list; empty when the
// statement fails.
QStringList distinctColumn(QSqlDatabase db, const QString& sql, const QVariantList& values = {});

// The distinct values of `column` of `table` (names of the program's own,
// never the operator's) in ascending order, Null left out: one index seek
// per value instead of a walk over every row, for a column that leads an
// index of a table of millions of rows. The values come as they are
// found, so a list shows its first ones however many follow.
QSqlQuery distinctAlongIndex(QSqlDatabase db, const QString& table, const QString& column);

}  // namespace BoundQuery
