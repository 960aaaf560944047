#include "admin/SystemRows.h"

#include <QSqlError>
#include <QSqlQuery>

namespace SystemRows {

bool write(QSqlDatabase db, const QString& name, const QString& column, const QVariant& value, QString* error)
{
    // The column comes from the callers' fixed texts, never from input.
    Q_ASSERT(column == QLatin1String("zhi") || column == QLatin1String("detail"));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT rowid FROM system WHERE name = ? ORDER BY rowid LIMIT 1"));
    q.addBindValue(name);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    QSqlQuery w(db);
    if (q.next()) {
        w.prepare(QStringLiteral("UPDATE system SET %1 = ? WHERE rowid = ?").arg(column));
        w.addBindValue(value);
        w.addBindValue(q.value(0));
    } else {
        w.prepare(QStringLiteral("INSERT INTO system (name, %1) VALUES (?, ?)").arg(column));
        w.addBindValue(name);
        w.addBindValue(value);
    }
    if (!w.exec()) {
        if (error)
            *error = w.lastError().text();
        return false;
    }
    return true;
}

}  // namespace SystemRows
