#include "db/QueryWays.h"

#include "db/BoundQuery.h"

#include <QSqlQuery>

namespace QueryWays {

std::optional<qsizetype> fewest(QSqlDatabase db, const QList<Way>& ways)
{
    std::optional<qsizetype> best;
    qint64 least = kFew + 1;
    for (qsizetype i = 0; i < ways.size(); ++i) {
        const Way& w = ways.at(i);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // The table's names are the program's own; only values are bound.
        const QString sql = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT %3)")
                                .arg(w.table, w.where.join(QStringLiteral(" AND ")))
                                .arg(kFew + 1);
        // A way the database cannot take is no way.
        if (!BoundQuery::run(q, sql, w.values) || !q.next())
            continue;
        const qint64 n = q.value(0).toLongLong();
        if (n < least) {
            least = n;
            best = i;
        }
        if (n == 0)
            break;
    }
    return best;
}

const Term* fewest(QSqlDatabase db, std::span<const Term> terms, const Term* along)
{
    QList<Way> ways;
    QList<const Term*> of;
    for (const Term& t : terms)
        if (t.on) {
            Way w{t.table, {t.sql}, t.values};
            if (along && along->on && along != &t) {
                w.where << along->sql;
                w.values << along->values;
            }
            ways << w;
            of << &t;
        }
    const std::optional<qsizetype> few = fewest(db, ways);
    return few ? of.at(*few) : nullptr;
}

QStringList conditions(std::span<const Term> terms, bool walk, QVariantList& values)
{
    QStringList where;
    for (const Term& t : terms)
        if (t.on) {
            where << (walk && !t.leads ? QStringLiteral("+") : QString()) + t.sql;
            values << t.values;
        }
    return where;
}

}  // namespace QueryWays
