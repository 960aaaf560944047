#include "doors/DoorsTable.h"

#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QVariant delayColumn(const QString& typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return QVariant(QMetaType::fromType<double>());
    return delayValue(t);
}

LockColumns columnsFor(const LockEntry& e, bool ticked)
{
    LockColumns c;
    c.name = e.name.trimmed();
    c.delay = delayColumn(e.delay);
    c.kind = ticked ? LockKinds::character(e.kind) : QString(QLatin1String(""));
    return c;
}

LockColumns nullLock()
{
    return {QVariant(QMetaType::fromType<QString>()), QVariant(QMetaType::fromType<double>()),
            QVariant(QMetaType::fromType<QString>())};
}

DoorsTable::Result failed(const QSqlQuery& q)
{
    return {DoorsTable::Outcome::Failed, q.lastError().text()};
}

DoorsTable::Result failed(const QString& why)
{
    return {DoorsTable::Outcome::Failed, why};
}

DoorsTable::Result done()
{
    return {DoorsTable::Outcome::Done, {}};
}

// 1 when the address has a row, 0 when not, -1 on an error.
int rowCount(QSqlQuery& q, int address)
{
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM doors WHERE 地址 = ?"));
    q.addBindValue(address);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toInt() > 0 ? 1 : 0;
}

QVariant textOrNull(const QVariant& v)
{
    return v.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(v.toString());
}

QVariant realOrNull(const QVariant& v)
{
    return v.isNull() ? QVariant(QMetaType::fromType<double>()) : QVariant(v.toDouble());
}

void bindLocks(QSqlQuery& q, const DoorRow& row)
{
    for (const LockColumns& l : row.lock) {
        q.addBindValue(textOrNull(l.name));
        q.addBindValue(realOrNull(l.delay));
        q.addBindValue(textOrNull(l.kind));
    }
}

}  // namespace

namespace DoorsTable {

DoorRow rowFromEntries(int address, const LockEntry& lock1, const LockEntry& lock2)
{
    DoorRow row;
    row.address = address;
    row.lock[0] = nullLock();
    row.lock[1] = nullLock();
    if (lock2.ticked) {
        row.lock[1] = columnsFor(lock2, true);
        if (lock1.ticked)
            row.lock[0] = columnsFor(lock1, true);
    } else {
        row.lock[0] = columnsFor(lock1, lock1.ticked);
    }
    return row;
}

std::optional<DoorRow> find(QSqlDatabase db, int address)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 地址, namedr1, delay1, dtype1, namedr2, delay2, dtype2, 门号 "
                             "FROM doors WHERE 地址 = ?"));
    q.addBindValue(address);
    if (!q.exec() || !q.next())
        return std::nullopt;
    DoorRow row;
    row.address = q.value(0).toInt();
    for (int i = 0; i < 2; ++i) {
        row.lock[i].name = q.value(1 + 3 * i);
        row.lock[i].delay = q.value(2 + 3 * i);
        row.lock[i].kind = q.value(3 + 3 * i);
    }
    row.doorName = q.value(7);
    return row;
}

Result add(QSqlDatabase db, const DoorRow& row)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    const int found = rowCount(q, row.address);
    if (found < 0)
        return failed(q);
    if (found > 0)
        return {Outcome::Duplicate, {}};
    q.prepare(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1, namedr2, delay2, dtype2, 门号) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(row.address);
    bindLocks(q, row);
    q.addBindValue(textOrNull(row.doorName));
    if (!q.exec())
        return failed(q);
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result modify(QSqlDatabase db, const DoorRow& row)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    const int found = rowCount(q, row.address);
    if (found < 0)
        return failed(q);
    if (found == 0)
        return {Outcome::NotFound, {}};
    // The row the old program left by deleting and inserting again, except
    // that the door name survives.
    q.prepare(QStringLiteral("UPDATE doors SET namedr1 = ?, delay1 = ?, dtype1 = ?, "
                             "namedr2 = ?, delay2 = ?, dtype2 = ? WHERE 地址 = ?"));
    bindLocks(q, row);
    q.addBindValue(row.address);
    if (!q.exec())
        return failed(q);
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result remove(QSqlDatabase db, int address)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    for (const QString& sql : {QStringLiteral("DELETE FROM doors WHERE 地址 = ?"),
                               QStringLiteral("DELETE FROM faka WHERE 地址 = ?")}) {
        q.prepare(sql);
        q.addBindValue(address);
        if (!q.exec())
            return failed(q);
    }
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result setDelay(QSqlDatabase db, int address, int lock, double seconds)
{
    QSqlQuery q(db);
    q.prepare(lock == 1 ? QStringLiteral("UPDATE doors SET delay1 = ? WHERE 地址 = ?")
                        : QStringLiteral("UPDATE doors SET delay2 = ? WHERE 地址 = ?"));
    q.addBindValue(seconds);
    q.addBindValue(address);
    if (!q.exec())
        return failed(q);
    return done();
}

}  // namespace DoorsTable
