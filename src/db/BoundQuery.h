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

}  // namespace BoundQuery
