#include "admin/Purge.h"

#include "db/DateText.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QString tableName(Purge::Table t)
{
    return t == Purge::Table::Records ? QStringLiteral("data") : QStringLiteral("datakq");
}

}  // namespace

namespace Purge {

QList<QDate> days(QSqlDatabase db, Table table, QString* error)
{
    QList<QDate> list;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT DISTINCT 日期 FROM %1 ORDER BY 日期").arg(tableName(table)))) {
        if (error) {
            *error = q.lastError().text();
            if (error->isEmpty())
                *error = QStringLiteral("无法读取 %1").arg(tableName(table));
        }
        return list;
    }
    while (q.next()) {
        const QDate d = DateText::toDate(q.value(0));
        if (d.isValid() && (list.isEmpty() || list.last() != d))
            list << d;
    }
    return list;
}

Outcome remove(QSqlDatabase db, Table table, const QDate& first, const QDate& last)
{
    Outcome out;
    if (!first.isValid() || !last.isValid() || first > last) {
        out.error = QStringLiteral("日期无效");
        return out;
    }
    QSqlQuery q(db);
    // Up to the day after the last, so that a day stored with a time of
    // day behind it goes with its day, as the day list shows it.
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE 日期 >= ? AND 日期 < ?").arg(tableName(table)));
    q.addBindValue(DateText::fromDate(first));
    q.addBindValue(DateText::fromDate(last.addDays(1)));
    if (!q.exec()) {
        out.error = q.lastError().text();
        return out;
    }
    out.ok = true;
    out.deleted = q.numRowsAffected();
    return out;
}

}  // namespace Purge
