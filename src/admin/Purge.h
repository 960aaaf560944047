#pragma once
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// Deletes old rows of the door-open records or of the attendance rows,
// day by day.
namespace Purge {

enum class Table { Records, Attendance };   // `data`, `datakq`

// The days present in the table, earliest first. Empty when the table
// holds no row, or when it cannot be read; `error` then says why.
QList<QDate> days(QSqlDatabase db, Table table, QString* error = nullptr);

struct Outcome {
    bool ok = false;
    int deleted = 0;
    QString error;
};

// Deletes the rows of every day from `first` to `last`, both included.
Outcome remove(QSqlDatabase db, Table table, const QDate& first, const QDate& last);

}  // namespace Purge
