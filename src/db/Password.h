#pragma once
#include <QSqlDatabase>
#include <QString>

#include <optional>

// Operators' passwords are never stored. `syspword` holds a digest of the
// trimmed, lower-cased password, so that a password matches without regard
// to case and surrounding blanks, as it always has.
//
// A new digest is Argon2id in its standard encoded form, which names its
// own parameters:
//     $argon2id$v=19$m=<KiB>,t=<passes>,p=<lanes>$<salt>$<hash>
// so that the parameters can be raised later while older rows still
// verify. Rows written before Argon2id hold
//     pbkdf2-sha256$<iterations>$<salt hex>$<digest hex>
// and still verify; a row that matches with a digest weaker than a new one
// is rewritten by the check that found it (see needsUpgrade).
namespace Password {

// Memory, passes and lanes of a new digest.
inline constexpr quint32 kMemoryKiB = 64 * 1024;
inline constexpr quint32 kPasses = 3;
inline constexpr quint32 kLanes = 1;

// What a new digest costs: memory in KiB, passes and lanes.
struct Cost {
    quint32 memoryKiB = kMemoryKiB;
    quint32 passes = kPasses;
    quint32 lanes = kLanes;
};

// The cost of new digests, for the whole process. The program never sets
// one: every new digest is made with kMemoryKiB, kPasses and kLanes. A
// test that makes and checks many digests sets a lower cost, so that each
// takes a fraction of a millisecond instead of a tenth of a second; its
// digests verify like any other and need no upgrade while it lasts.
// None: the program's own.
Cost cost();
void setCost(std::optional<Cost> cost);

QString digest(const QString& password);

// True when `stored` is a digest of `password`. Anything else in the
// field (empty, a plain password left by an old database, a damaged
// digest) matches nothing. The comparison takes the same time wherever
// the two differ.
bool matches(const QString& password, const QString& stored);

// True for a digest that verifies but is weaker than a new one: an older
// kind, or Argon2id with less memory or fewer passes than cost(). The caller rewrites
// it once the password has matched.
bool needsUpgrade(const QString& stored);

// Takes as long as checking a password against a stored digest, and
// matches nothing: for a name that has no row, so that the time of a
// failed login does not tell whether the name exists.
void spendCheckTime(const QString& password);

// After `password` has matched `stored`, the digest held in `column` of
// the row `rowid` of `table`: rewrites it with a new digest when it needs
// an upgrade, in a transaction of its own and only while the row still
// holds `stored`, so that a password changed meanwhile is kept. When the
// write fails the old digest stays, and it still verifies.
void upgradeStored(QSqlDatabase db, const QString& table, const QString& column, qint64 rowid,
                   const QString& stored, const QString& password);

}  // namespace Password
