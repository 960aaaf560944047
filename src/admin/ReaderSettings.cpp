#include "admin/ReaderSettings.h"

#include "db/NumberText.h"

#include "session/Session.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>


namespace ReaderSettings {

Check check(const QString& text, qint16* address)
{
    if (text.trimmed().isEmpty())
        return Check::Empty;
    // Only a whole number is an address: "x5" must not become reader 0.
    const std::optional<int> v = NumberText::address(text);
    if (!v)
        return Check::OutOfRange;
    if (address)
        *address = static_cast<qint16>(*v);
    return Check::Ok;
}

SettingsWrite save(QSqlDatabase db, qint16 address)
{
    SettingsWrite w;
    Transaction t(db);
    if (!t.begun()) {
        w.error = db.lastError().text();
        return w;
    }
    if (!SystemRows::write(db, QStringLiteral("发卡机"), QStringLiteral("zhi"), address, &w.error))
        return w;
    if (!t.commit()) {
        w.error = db.lastError().text();
        return w;
    }
    Session::ReaderAddress = address;
    w.ok = true;
    return w;
}

}  // namespace ReaderSettings
