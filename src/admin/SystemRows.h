#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Writes to the settings rows of `system` and the outcome of a settings
// write, shared by the settings windows' services.
struct SettingsWrite {
    bool ok = false;
    QString error;  // what the database said, for the operator
};

namespace SystemRows {

// Sets `column` ("zhi" or "detail") of the first row named `name`; a
// missing row is added with only that column set. Runs inside the
// caller's transaction.
bool write(QSqlDatabase db, const QString& name, const QString& column, const QVariant& value, QString* error);

}  // namespace SystemRows
