#pragma once
#include <QString>

// Operators' passwords are never stored. `syspword` holds
// "pbkdf2-sha256$<iterations>$<salt hex>$<digest hex>" of the trimmed,
// lower-cased password, so that a password matches without regard to case
// as it always has.
namespace Password {

QString digest(const QString& password);
bool matches(const QString& password, const QString& stored);

}  // namespace Password
