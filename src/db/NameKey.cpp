#include "db/NameKey.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <memory>

namespace {

struct CollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// QCollator's own collator for zh_CN is ICU's, opened with its defaults:
// the same rules give the same order.
UCollator* collator()
{
    thread_local std::unique_ptr<UCollator, CollatorClose> c = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* opened = ucol_open("zh_CN", &status);
        return std::unique_ptr<UCollator, CollatorClose>(U_SUCCESS(status) ? opened : nullptr);
    }();
    return c.get();
}

bool failed(const QSqlQuery& q, QString* error)
{
    if (error)
        *error = q.lastError().text();
    return false;
}

// Told every so many rows: often enough for a bar to move smoothly.
constexpr int kRowsPerStep = 2048;

// Each missing key is made, then written: two steps a row. `step` hears
// the steps done so far in `table`.
bool fillTable(QSqlDatabase db, const QString& table, QString* error, const std::function<void(qint64)>& step)
{
    QSqlQuery missing(db);
    missing.setForwardOnly(true);
    if (!missing.exec(QStringLiteral("SELECT rowid, 姓名 FROM \"%1\" WHERE name_key IS NULL").arg(table)))
        return failed(missing, error);
    QList<std::pair<qint64, QByteArray>> keys;
    while (missing.next()) {
        keys.append({missing.value(0).toLongLong(), NameKey::of(missing.value(1).toString())});
        if (step && keys.size() % kRowsPerStep == 0)
            step(keys.size());
    }
    missing.finish();
    if (keys.isEmpty())
        return true;
    const bool own = db.transaction();
    QSqlQuery write(db);
    if (!write.prepare(QStringLiteral("UPDATE \"%1\" SET name_key = ? WHERE rowid = ?").arg(table)))
        return failed(write, error);
    qint64 written = 0;
    for (const auto& [row, key] : keys) {
        write.addBindValue(key);
        write.addBindValue(row);
        if (!write.exec()) {
            if (own)
                db.rollback();
            return failed(write, error);
        }
        if (step && ++written % kRowsPerStep == 0)
            step(keys.size() + written);
    }
    return !own || db.commit() || (error && (*error = db.lastError().text(), false));
}

}  // namespace

namespace NameKey {

QByteArray of(const QString& name)
{
    UCollator* c = collator();
    // Not a null blob, so that the row is not taken for one without a key;
    // a zero byte orders before every other key.
    if (name.isEmpty() || !c)
        return QByteArray(1, '\0');
    const auto* text = reinterpret_cast<const UChar*>(name.utf16());
    QByteArray key(64, Qt::Uninitialized);
    int length = ucol_getSortKey(c, text, int(name.size()), reinterpret_cast<uint8_t*>(key.data()), int(key.size()));
    if (length > key.size()) {
        key.resize(length);
        length = ucol_getSortKey(c, text, int(name.size()), reinterpret_cast<uint8_t*>(key.data()), int(key.size()));
    }
    // The key ends with a zero byte that orders nothing.
    key.resize(std::max(1, length - 1));
    return key;
}

QStringList tables()
{
    return {QStringLiteral("people"), QStringLiteral("dfaka"), QStringLiteral("datakq")};
}

bool fill(QSqlDatabase db, const QString& table, QString* error)
{
    return fillTable(db, table, error, {});
}

bool fillAll(QSqlDatabase db, QString* error, const std::function<void(int permille)>& progress)
{
    // The steps of each table, counted first where someone is told.
    QList<qint64> steps;
    qint64 total = 0;
    for (const QString& table : tables()) {
        QSqlQuery count(db);
        const bool counted = progress &&
                             count.exec(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE name_key IS NULL").arg(table)) &&
                             count.next();
        steps << (counted ? 2 * count.value(0).toLongLong() : 0);
        total += steps.last();
    }
    qint64 before = 0;
    for (int i = 0; i < tables().size(); ++i) {
        const auto step = [&](qint64 done) { progress(int(std::min<qint64>(999, (before + done) * 1000 / total))); };
        if (!fillTable(db, tables().at(i), error, total > 0 ? std::function<void(qint64)>(step) : nullptr))
            return false;
        before += steps.at(i);
    }
    if (progress)
        progress(1000);
    return true;
}

bool addTo(QSqlDatabase db, QString* error)
{
    for (const QString& table : tables()) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE name = 'name_key'"));
        q.addBindValue(table);
        if (!q.exec())
            return failed(q, error);
        const bool present = q.next();
        q.finish();
        QStringList statements;
        if (!present)
            statements << QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN name_key BLOB").arg(table);
        // The listings by name go on by day where a table has one.
        const QString columns = table == QLatin1String("people") ? QStringLiteral("name_key")
                                                                  : QStringLiteral("name_key, 日期");
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1_name_key\" ON \"%1\" (%2)").arg(table, columns)
                   << QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"%1_name_changed\" AFTER UPDATE OF 姓名 ON \"%1\" "
                                     "WHEN NEW.姓名 IS NOT OLD.姓名 BEGIN "
                                     "UPDATE \"%1\" SET name_key = NULL WHERE rowid = NEW.rowid; END")
                          .arg(table);
        for (const QString& s : statements) {
            if (!q.exec(s))
                return failed(q, error);
        }
        if (!fill(db, table, error))
            return false;
    }
    return true;
}

}  // namespace NameKey
