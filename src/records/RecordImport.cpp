#include "records/RecordImport.h"

#include "db/DateText.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace RecordImport {

Result store(QSqlDatabase db, const QList<CollectedRecord>& records)
{
    Result r;
    Transaction tx(db);
    if (!tx.begun()) {
        r.error = db.lastError().text();
        return r;
    }
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) "
                                  "SELECT :a, :c, :d, :t, :f, :w WHERE NOT EXISTS (SELECT 1 FROM data "
                                  "WHERE 卡号 = :c AND 日期 = :d AND 时间 = :t AND flag = :f AND 地址 = :a)"))) {
        r.error = q.lastError().text();
        return r;
    }
    for (const CollectedRecord& rec : records) {
        const QString day = DateText::fromDate(rec.date);
        const QString time = DateText::fromTime(rec.time);
        q.bindValue(QStringLiteral(":a"), rec.address);
        q.bindValue(QStringLiteral(":c"), rec.card);
        q.bindValue(QStringLiteral(":d"), day);
        q.bindValue(QStringLiteral(":t"), time);
        q.bindValue(QStringLiteral(":f"), rec.flag);
        q.bindValue(QStringLiteral(":w"), flagText(rec.flag));
        if (!q.exec()) {
            r.error = q.lastError().text();
            return {false, 0, 0, r.error};
        }
        if (q.numRowsAffected() > 0)
            ++r.stored;
        else
            ++r.duplicates;
    }
    if (!tx.commit()) {
        return {false, 0, 0, db.lastError().text()};
    }
    r.ok = true;
    return r;
}

}  // namespace RecordImport
