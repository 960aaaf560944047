#include "db/BoundQuery.h"

#include <QSet>
#include <QVariant>

namespace BoundQuery {

bool run(QSqlQuery& q, const QString& sql, const QVariantList& values)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}

QSqlQuery scrollable(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    q.setForwardOnly(false);
    run(q, sql, values);
    return q;
}

QStringList firstColumn(QSqlDatabase db, const QString& sql)
{
    QStringList out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QStringList distinctColumn(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QStringList out;
    QSet<QString> seen;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!run(q, sql, values))
        return out;
    while (q.next()) {
        const QString s = q.value(0).toString().trimmed();
        if (!s.isEmpty() && !seen.contains(s)) {
            seen.insert(s);
            out.append(s);
        }
    }
    return out;
}

QSqlQuery distinctAlongIndex(QSqlDatabase db, const QString& table, const QString& column)
{
    return scrollable(db, QStringLiteral("WITH RECURSIVE c(k) AS ("
                                          " SELECT MIN(%2) FROM %1"
                                          " UNION ALL"
                                          " SELECT (SELECT MIN(%2) FROM %1 WHERE %2 > c.k) FROM c WHERE c.k IS NOT NULL)"
                                          " SELECT k FROM c WHERE k IS NOT NULL")
                              .arg(table, column),
                      {});
}

}  // namespace BoundQuery
