#pragma once
#include "doors/LockKind.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

// The columns of one lock in `doors`. A Null kind means the controller has
// no such lock; the empty kind is a lock of no known kind.
struct LockColumns {
    QVariant name;   // Null or text
    QVariant delay;  // Null or seconds
    QVariant kind;   // Null, "" or one of "玻", "木", "铁"

    bool exists() const { return !kind.isNull(); }
    bool operator==(const LockColumns&) const = default;
};

// One controller's row of `doors`.
struct DoorRow {
    int address = 0;
    LockColumns lock[2];
    QVariant doorName;  // 门号: no window writes it, the timed collection reads it

    bool operator==(const DoorRow& o) const
    {
        return address == o.address && lock[0] == o.lock[0] && lock[1] == o.lock[1] && doorName == o.doorName;
    }
};

// What the lock settings window holds for one lock.
struct LockEntry {
    bool ticked = true;
    QString name;
    QString delay;  // as typed
    LockKind kind = LockKind::Glass;
};

// The controllers and their locks.
namespace DoorsTable {

// The row adding or modifying writes for the window's entries: each value
// trimmed, the delay as the number it spells (Null when empty). When only
// lock 2 is ticked lock 1 stays Null; when lock 2 is not ticked it stays
// Null and lock 1 is written even when it is not ticked, then with the
// empty kind.
DoorRow rowFromEntries(int address, const LockEntry& lock1, const LockEntry& lock2);

std::optional<DoorRow> find(QSqlDatabase db, int address);

enum class Outcome { Done, Duplicate, NotFound, Failed };
struct Result {
    Outcome outcome = Outcome::Failed;
    QString error;  // the database's message when Failed
    bool ok() const { return outcome == Outcome::Done; }
};

// A new controller; Duplicate when the address has a row.
Result add(QSqlDatabase db, const DoorRow& row);
// Replaces the locks of an existing controller, keeping its 门号 and its
// cards; NotFound when the address has no row.
Result modify(QSqlDatabase db, const DoorRow& row);
// The controller and every card issued on it, together or not at all.
Result remove(QSqlDatabase db, int address);
// The open delay a controller has acknowledged for lock 1 or 2. An address
// without a row changes nothing and still counts as done.
Result setDelay(QSqlDatabase db, int address, int lock, double seconds);

}  // namespace DoorsTable
