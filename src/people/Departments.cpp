#include "people/Departments.h"

#include "db/BoundQuery.h"
#include "db/Clock.h"
#include "db/DateText.h"
#include "db/PersonFields.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

Departments::Result failure(const QString& error)
{
    return {Departments::Outcome::Failed, error};
}

// Runs one statement with bound values; on failure `error` gets the reason.
bool run(QSqlDatabase db, const QString& sql, const QVariantList& values, QString& error, int* affected = nullptr)
{
    QSqlQuery q(db);
    if (!BoundQuery::run(q, sql, values)) {
        error = q.lastError().text();
        return false;
    }
    if (affected)
        *affected = q.numRowsAffected();
    return true;
}

}  // namespace

namespace Departments {

QStringList list(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QStringList out;
    if (q.exec(QStringLiteral("SELECT 部门 FROM department ORDER BY 部门"))) {
        while (q.next())
            out << q.value(0).toString();
    }
    return out;
}

bool exists(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM department WHERE 部门 = ? COLLATE NOCASE LIMIT 1"));
    q.addBindValue(name.trimmed());
    return q.exec() && q.next();
}

Result add(QSqlDatabase db, const QString& name)
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return {Outcome::EmptyName, {}};
    if (exists(db, n))
        return {Outcome::Exists, {}};
    QString error;
    if (!run(db, QStringLiteral("INSERT INTO department (部门) VALUES (?)"), {n}, error))
        return failure(error);
    return {};
}

Result rename(QSqlDatabase db, const QString& oldName, const QString& newName)
{
    const QString from = oldName.trimmed();
    const QString to = newName.trimmed();
    if (to.isEmpty())
        return {Outcome::EmptyName, {}};
    if (exists(db, to))
        return {Outcome::Exists, {}};
    Transaction tx(db);
    if (!tx.begun())
        return failure(db.lastError().text());
    QString error;
    if (!run(db, QStringLiteral("UPDATE department SET 部门 = ? WHERE 部门 = ? COLLATE NOCASE"), {to, from}, error) ||
        !run(db, QStringLiteral("UPDATE people SET 部门 = ? WHERE 部门 = ? COLLATE NOCASE"), {to, from}, error))
        return failure(error);
    if (!tx.commit())
        return failure(db.lastError().text());
    return {};
}

Removal remove(QSqlDatabase db, const QString& name, bool withPeople)
{
    const QString n = name.trimmed();
    Removal r;
    if (!exists(db, n)) {
        r.outcome = Outcome::NotFound;
        return r;
    }
    auto failed = [](const QString& error) {
        Removal f;
        f.outcome = Outcome::Failed;
        f.error = error;
        return f;
    };
    Transaction tx(db);
    if (!tx.begun())
        return failed(db.lastError().text());
    QString error;
    if (withPeople) {
        QSqlQuery held(db);
        held.prepare(QStringLiteral("SELECT DISTINCT 地址 FROM fakapl WHERE 部门 = ? COLLATE NOCASE ORDER BY 地址"));
        held.addBindValue(n);
        if (!held.exec())
            return failed(held.lastError().text());
        while (held.next())
            r.controllersHoldingCards << held.value(0).toInt();
        held.finish();

        const QString today = DateText::fromDate(Clock::today());
        // An empty name or department is left without a value in the history.
        if (!run(db,
                 QStringLiteral("INSERT INTO dfaka (地址,卡号,开始日期,截止日期,开始星期,截止星期,开始时间,截止时间,"
                                "物理卡号,姓名,部门,ctrl_state1,ctrl_state2,日期) "
                                "SELECT 地址,卡号,开始日期,截止日期,开始星期,截止星期,开始时间,截止时间,物理卡号,"
                                "NULLIF(姓名,''),NULLIF(部门,''),ctrl_state1,ctrl_state2,? FROM fakapl WHERE 部门 = ? COLLATE NOCASE "
                                "ORDER BY 地址, 卡号"),
                 {today, n}, error, &r.cardsRemoved) ||
            !run(db,
                 QStringLiteral("INSERT INTO dpeople (%1, 日期) SELECT %1, ? FROM people WHERE 部门 = ? COLLATE NOCASE")
                     .arg(PersonFields::columns(true).join(QLatin1Char(','))),
                 {today, n}, error) ||
            !run(db, QStringLiteral("DELETE FROM faka WHERE 卡号 IN (SELECT 卡号 FROM people WHERE 部门 = ? COLLATE NOCASE)"), {n},
                 error) ||
            !run(db, QStringLiteral("DELETE FROM people WHERE 部门 = ? COLLATE NOCASE"), {n}, error, &r.peopleRemoved))
            return failed(error);
    }
    if (!run(db, QStringLiteral("DELETE FROM department WHERE 部门 = ? COLLATE NOCASE"), {n}, error))
        return failed(error);
    if (!tx.commit())
        return failed(db.lastError().text());
    return r;
}

}  // namespace Departments
