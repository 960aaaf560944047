#include "doors/LegacyDoors.h"

#include "db/BoundQuery.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

LegacyDoors::Result failed(const QString& why)
{
    return {LegacyDoors::Outcome::Failed, why};
}

LegacyDoors::Result done()
{
    return {LegacyDoors::Outcome::Done, {}};
}

using BoundQuery::run;

}  // namespace

namespace LegacyDoors {

QStringList names(QSqlDatabase db)
{
    return BoundQuery::firstColumn(db, QStringLiteral("SELECT 门号 FROM doors"));
}

QStringList departments(QSqlDatabase db)
{
    return BoundQuery::firstColumn(db, QStringLiteral("SELECT 部门 FROM department"));
}

std::optional<Door> find(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("SELECT 门号, 地址, 延迟, lockno FROM doors WHERE 门号 = ?"), {name}) || !q.next())
        return std::nullopt;
    Door d;
    d.name = q.value(0).toString();
    d.address = q.value(1).toInt();
    d.delay = q.value(2);
    d.lockNo = q.value(3).toInt();
    return d;
}

Result add(QSqlDatabase db, const Door& door)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("SELECT COUNT(*) FROM doors WHERE 门号 = ?"), {door.name}) || !q.next())
        return failed(q.lastError().text());
    if (q.value(0).toInt() > 0)
        return {Outcome::Duplicate, {}};
    if (!run(q, QStringLiteral("INSERT INTO doors (门号, 地址, 延迟, lockno) VALUES (?, ?, ?, ?)"),
             {door.name, door.address, door.delay, door.lockNo}))
        return failed(q.lastError().text());
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result remove(QSqlDatabase db, const QString& name)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("DELETE FROM doors WHERE 门号 = ?"), {name}) ||
        !run(q, QStringLiteral("DELETE FROM faka WHERE 门号 = ?"), {name}))
        return failed(q.lastError().text());
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result modify(QSqlDatabase db, const QString& name, int address, int lockNo)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("UPDATE doors SET 地址 = ?, lockno = ? WHERE 门号 = ?"), {address, lockNo, name}) ||
        !run(q, QStringLiteral("UPDATE faka SET 地址 = ? WHERE 门号 = ?"), {address, name}))
        return failed(q.lastError().text());
    if (!t.commit())
        return failed(db.lastError().text());
    return done();
}

Result setDelay(QSqlDatabase db, int address, int lockNo, int seconds)
{
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("UPDATE doors SET 延迟 = ? WHERE 地址 = ? AND lockno = ?"), {seconds, address, lockNo}))
        return failed(q.lastError().text());
    return done();
}

}  // namespace LegacyDoors
