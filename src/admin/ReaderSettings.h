#pragma once
#include "admin/SystemRows.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The address of the card-issuing reader.
namespace ReaderSettings {

enum class Check { Ok, Empty, OutOfRange };
// The address box's text: empty, not a whole number, or a number that one
// address byte on the line cannot take as an address (above 99), is refused.
Check check(const QString& text, qint16* address);

// Stores the address in the `system` row "发卡机" (added when missing)
// and, once stored, in ReaderAddress.
SettingsWrite save(QSqlDatabase db, qint16 address);

}  // namespace ReaderSettings
