#pragma once
#include <QSqlDatabase>
#include <QStringList>

#include <optional>

// Operators in the older layout of `user` (用户名, 口令, 权限), where an
// operator had one level instead of rights. No menu tool opens this; it is
// kept for databases of that layout.
namespace LegacyOperators {

struct Row {
    QString name;
    int level = 0;   // 1 system maintainer, 3 ordinary user
};

QStringList names(QSqlDatabase db);
std::optional<Row> find(QSqlDatabase db, const QString& name);
// The level of the operator whose name and password match, or nothing.
std::optional<int> check(QSqlDatabase db, const QString& name, const QString& password);
bool add(QSqlDatabase db, const QString& name, const QString& password, int level);
// An empty password keeps the stored one: it is never shown, so an empty
// box means "unchanged".
bool modify(QSqlDatabase db, const QString& name, const QString& password, int level);
bool remove(QSqlDatabase db, const QString& name);

}  // namespace LegacyOperators
