#include "admin/LegacyOperators.h"

#include "db/Password.h"

#include <QSqlQuery>
#include <QVariant>

namespace LegacyOperators {

QStringList names(QSqlDatabase db)
{
    QStringList out;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT 用户名 FROM user ORDER BY 用户名")))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

std::optional<Row> find(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 用户名, 权限 FROM user WHERE 用户名 = ? COLLATE NOCASE LIMIT 1"));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return Row{q.value(0).toString(), q.value(1).toInt()};
}

std::optional<int> check(QSqlDatabase db, const QString& name, const QString& password)
{
    struct Row {
        qint64 rowid = 0;
        QString stored;
        int level = 0;
    };
    QList<Row> rows;
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT rowid, 口令, 权限 FROM user WHERE 用户名 = ? COLLATE NOCASE"));
        q.addBindValue(name.trimmed());
        if (!q.exec())
            return std::nullopt;
        while (q.next())
            rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt()});
    }
    if (rows.isEmpty())
        Password::spendCheckTime(password);
    for (const Row& row : rows) {
        if (Password::matches(password, row.stored)) {
            Password::upgradeStored(db, QStringLiteral("user"), QStringLiteral("口令"), row.rowid, row.stored, password);
            return row.level;
        }
    }
    return std::nullopt;
}

bool add(QSqlDatabase db, const QString& name, const QString& password, int level)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO user (用户名, 口令, 权限) VALUES (?, ?, ?)"));
    q.addBindValue(name);
    q.addBindValue(Password::digest(password));
    q.addBindValue(level);
    return q.exec();
}

bool modify(QSqlDatabase db, const QString& name, const QString& password, int level)
{
    QSqlQuery q(db);
    if (password.isEmpty()) {
        q.prepare(QStringLiteral("UPDATE user SET 权限 = ? WHERE 用户名 = ? COLLATE NOCASE"));
        q.addBindValue(level);
    } else {
        q.prepare(QStringLiteral("UPDATE user SET 口令 = ?, 权限 = ? WHERE 用户名 = ? COLLATE NOCASE"));
        q.addBindValue(Password::digest(password));
        q.addBindValue(level);
    }
    q.addBindValue(name);
    return q.exec() && q.numRowsAffected() > 0;
}

bool remove(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM user WHERE 用户名 = ? COLLATE NOCASE"));
    q.addBindValue(name);
    return q.exec() && q.numRowsAffected() > 0;
}

}  // namespace LegacyOperators
