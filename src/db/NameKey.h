#pragma once
#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

#include <functional>

// Names sort as a Chinese reader expects them: by pinyin, as QCollator
// orders them for zh_CN. Every table that lists names keeps beside 姓名 a
// column `name_key` with the collator's sort key as a blob; a plain
// ORDER BY name_key then gives that order, indexed, and door.db needs no
// collation of ours to be read or written by any SQLite tool.
//
// A name written by another tool, or by a statement of ours that does not
// write the key, leaves the key empty (a trigger of plain SQL empties it
// when 姓名 changes); keys are filled again when the database opens and
// before every listing by name.
namespace NameKey {

// The sort key of a name: comparing two keys bytewise orders the names
// as QCollator(zh_CN) does. An empty name has the lowest key.
QByteArray of(const QString& name);

// The tables with a name and its key.
QStringList tables();

// Adds the key column, its index and the triggers that empty a stale key
// to every table that lacks them, and fills every missing key: the
// database's upgrade step to sorted names. Safe to run again.
bool addTo(QSqlDatabase db, QString* error = nullptr);

// Fills the keys that are missing in `table` (one of tables()); cheap when
// none is.
bool fill(QSqlDatabase db, const QString& table, QString* error = nullptr);
// The same for every table: before a listing by name, and when the
// database opens, where hundreds of thousands of names written by another
// tool take seconds: `progress` hears how far it has come, in thousandths
// (1000 when done).
bool fillAll(QSqlDatabase db, QString* error = nullptr, const std::function<void(int permille)>& progress = {});

}  // namespace NameKey
