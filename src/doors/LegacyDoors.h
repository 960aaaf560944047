#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The older layout of `doors` that the legacy lock window works on: one
// row per door, with 门号 (door name), 地址, 延迟 (open delay in whole
// seconds), lockno (1 or 2) and 部门号; `faka` rows are tied to a door by
// 门号 there.
namespace LegacyDoors {

struct Door {
    QString name;
    int address = 0;
    QVariant delay;
    int lockNo = 1;
};

QStringList names(QSqlDatabase db);
QStringList departments(QSqlDatabase db);
std::optional<Door> find(QSqlDatabase db, const QString& name);

enum class Outcome { Done, Duplicate, Failed };
struct Result {
    Outcome outcome = Outcome::Failed;
    QString error;
    bool ok() const { return outcome == Outcome::Done; }
};

// A new door; Duplicate when the name has a row.
Result add(QSqlDatabase db, const Door& door);
// The door and the cards issued on it, together.
Result remove(QSqlDatabase db, const QString& name);
// Moves a door (and its cards) to another address and lock.
Result modify(QSqlDatabase db, const QString& name, int address, int lockNo);
// The delay a controller acknowledged for one of its locks.
Result setDelay(QSqlDatabase db, int address, int lockNo, int seconds);

}  // namespace LegacyDoors
