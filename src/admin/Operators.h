#pragma once
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>

// The operators of the `user` table.
namespace Operators {

struct Operator {
    QString name;                 // sysname as stored
    bool usersetting = false;
    bool usermanage = false;
    std::array<bool, 25> rights{};  // r0 .. r24
};

// The operator whose name (blanks at both ends removed, case ignored) and
// password (the same) match, or nothing. Text that is not a valid name
// simply matches no one.
std::optional<Operator> authenticate(QSqlDatabase db, const QString& name, const QString& password);

// The operator of that name (case ignored), or nothing.
std::optional<Operator> find(QSqlDatabase db, const QString& name);

}  // namespace Operators
