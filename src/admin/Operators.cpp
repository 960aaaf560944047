#include "admin/Operators.h"

#include "db/DateText.h"
#include "db/Password.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>

namespace {

Operators::Operator fromRecord(const QSqlQuery& q)
{
    Operators::Operator op;
    op.name = q.value(QStringLiteral("sysname")).toString();
    op.usersetting = DateText::toBool(q.value(QStringLiteral("usersetting")));
    op.usermanage = DateText::toBool(q.value(QStringLiteral("usermanage")));
    // The rights are read by field name.
    for (int n = 0; n < 25; ++n)
        op.rights[n] = DateText::toBool(q.value(QStringLiteral("r%1").arg(n)));
    return op;
}

// The field that holds right rN: the rights sit at fixed positions.
QString rightField(int n)
{
    return Schema::userFields().at(Schema::rightPosition(n));
}

Operators::Result failed(const QSqlQuery& q)
{
    return {Operators::Outcome::Failed, q.lastError().text()};
}

Operators::Result failed(const QString& why)
{
    return {Operators::Outcome::Failed, why};
}

// The number of managers other than `name`. Read inside the transaction of
// the change that asks, so that the answer still holds when it commits.
std::optional<int> otherManagers(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT count(*) FROM user WHERE r0 <> 0 AND usersetting <> 0 AND usermanage <> 0 "
                             "AND sysname <> ? COLLATE NOCASE"));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0).toInt();
}

}  // namespace

namespace Operators {

namespace {

// A change that would leave the site without an account holding r0,
// usersetting and usermanage together is refused. Nothing when the change
// may go on.
std::optional<Result> refuseLastManager(QSqlDatabase db, const Operator& current, bool staysManager)
{
    if (!isManager(current) || staysManager)
        return std::nullopt;
    const std::optional<int> others = otherManagers(db, current.name);
    if (!others)
        return failed(db.lastError().text());
    if (*others == 0)
        return Result{Outcome::LastManager, {}};
    return std::nullopt;
}

// Every change of the table runs the same way: in one transaction, look the
// account up, let `refuse` turn the change down, write it and commit, so
// that what was checked still holds when the change lands. A refusal or a
// failure leaves the table as it was.
Result change(QSqlDatabase db, const QString& name,
              const std::function<std::optional<Result>(const std::optional<Operator>&)>& refuse,
              const std::function<void(QSqlQuery&)>& prepare)
{
    Transaction t(db);
    if (!t.begun())
        return failed(db.lastError().text());
    if (const std::optional<Result> refused = refuse(find(db, name)))
        return *refused;
    QSqlQuery q(db);
    prepare(q);
    if (!q.exec())
        return failed(q);
    if (!t.commit())
        return failed(db.lastError().text());
    return {Outcome::Done, {}};
}

}  // namespace

std::optional<Operator> find(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT * FROM user WHERE sysname = ? COLLATE NOCASE LIMIT 1"));
    q.addBindValue(name.trimmed());
    if (!q.exec() || !q.next())
        return std::nullopt;
    return fromRecord(q);
}

std::optional<Operator> authenticate(QSqlDatabase db, const QString& name, const QString& password)
{
    struct Row {
        qint64 rowid = 0;
        QString stored;
        Operator op;
    };
    QList<Row> rows;
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT rowid AS row_id, * FROM user WHERE sysname = ? COLLATE NOCASE"));
        q.addBindValue(name.trimmed());
        if (!q.exec())
            return std::nullopt;
        while (q.next())
            rows.append({q.value(QStringLiteral("row_id")).toLongLong(), q.value(QStringLiteral("syspword")).toString(),
                         fromRecord(q)});
    }
    // An unknown name costs the time of a check too, so that the wait does
    // not tell which names exist.
    if (rows.isEmpty())
        Password::spendCheckTime(password);
    for (const Row& row : rows) {
        if (Password::matches(password, row.stored)) {
            Password::upgradeStored(db, QStringLiteral("user"), QStringLiteral("syspword"), row.rowid, row.stored,
                                    password);
            return row.op;
        }
    }
    return std::nullopt;
}

QStringList names(QSqlDatabase db)
{
    QStringList list;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT sysname FROM user ORDER BY sysname COLLATE NOCASE"))) {
        while (q.next())
            list << q.value(0).toString();
    }
    return list;
}

bool maySpecialOperate(QSqlDatabase db, const QString& name, const QString& password)
{
    const std::optional<Operator> op = authenticate(db, name, password);
    return op && op->rights[24];
}

bool isManager(const Operator& op)
{
    return op.rights[0] && op.usersetting && op.usermanage;
}

Result add(QSqlDatabase db, const AccountInput& in)
{
    const QString name = in.name.trimmed();
    if (name.isEmpty())
        return {Outcome::EmptyName, {}};
    return change(
        db, name,
        [](const std::optional<Operator>& current) -> std::optional<Result> {
            if (current)
                return Result{Outcome::Exists, {}};
            return std::nullopt;
        },
        [&](QSqlQuery& q) {
            q.prepare(QStringLiteral(
                "INSERT INTO user (sysname, syspword, usersetting, usermanage) VALUES (?, ?, ?, ?)"));
            q.addBindValue(name);
            q.addBindValue(Password::digest(in.password));
            q.addBindValue(DateText::fromBool(in.usersetting));
            q.addBindValue(DateText::fromBool(in.usermanage));
        });
}

Result modify(QSqlDatabase db, const AccountInput& in)
{
    const QString name = in.name.trimmed();
    if (name.isEmpty())
        return {Outcome::EmptyName, {}};
    return change(
        db, name,
        [&](const std::optional<Operator>& current) -> std::optional<Result> {
            if (!current)
                return Result{Outcome::NotFound, {}};
            return refuseLastManager(db, *current, in.usersetting && in.usermanage);
        },
        [&](QSqlQuery& q) {
            // The stored name keeps its spelling: the name is the key, not a
            // field this window changes.
            const QString password = in.password.trimmed();
            if (password.isEmpty()) {
                q.prepare(QStringLiteral(
                    "UPDATE user SET usersetting = ?, usermanage = ? WHERE sysname = ? COLLATE NOCASE"));
            } else {
                q.prepare(QStringLiteral(
                    "UPDATE user SET syspword = ?, usersetting = ?, usermanage = ? WHERE sysname = ? COLLATE NOCASE"));
                q.addBindValue(Password::digest(password));
            }
            q.addBindValue(DateText::fromBool(in.usersetting));
            q.addBindValue(DateText::fromBool(in.usermanage));
            q.addBindValue(name);
        });
}

Result remove(QSqlDatabase db, const QString& name, const QString& loggedIn)
{
    const QString key = name.trimmed();
    return change(
        db, key,
        [&](const std::optional<Operator>& current) -> std::optional<Result> {
            if (!current)
                return Result{Outcome::NotFound, {}};
            if (current->name.compare(loggedIn.trimmed(), Qt::CaseInsensitive) == 0)
                return Result{Outcome::LoggedIn, {}};
            return refuseLastManager(db, *current, false);
        },
        [&](QSqlQuery& q) {
            q.prepare(QStringLiteral("DELETE FROM user WHERE sysname = ? COLLATE NOCASE"));
            q.addBindValue(key);
        });
}

Result saveRights(QSqlDatabase db, const QString& name, const Rights& rights)
{
    const QString key = name.trimmed();
    return change(
        db, key,
        [&](const std::optional<Operator>& current) -> std::optional<Result> {
            if (!current)
                return Result{Outcome::NotFound, {}};
            return refuseLastManager(db, *current, rights[0]);
        },
        [&](QSqlQuery& q) {
            QStringList sets;
            for (int i = 0; i < kRightCount; ++i)
                sets << rightField(i) + QStringLiteral(" = ?");
            q.prepare(QStringLiteral("UPDATE user SET %1 WHERE sysname = ? COLLATE NOCASE")
                          .arg(sets.join(QStringLiteral(", "))));
            for (int i = 0; i < kRightCount; ++i)
                q.addBindValue(DateText::fromBool(rights[i]));
            q.addBindValue(key);
        });
}

}  // namespace Operators
