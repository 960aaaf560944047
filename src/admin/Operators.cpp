#include "admin/Operators.h"

#include "db/DateText.h"
#include "db/Password.h"

#include <QSqlQuery>
#include <QSqlRecord>

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

}  // namespace

namespace Operators {

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
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT * FROM user WHERE sysname = ? COLLATE NOCASE"));
    q.addBindValue(name.trimmed());
    if (!q.exec())
        return std::nullopt;
    while (q.next()) {
        if (Password::matches(password.trimmed(), q.value(QStringLiteral("syspword")).toString()))
            return fromRecord(q);
    }
    return std::nullopt;
}

}  // namespace Operators
