#include "admin/Initialisation.h"

#include "db/BoundQuery.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

bool exec(QSqlDatabase db, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery q(db);
    if (!BoundQuery::run(q, sql, values)) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

bool empty(QSqlDatabase db, const char* table, QString* error)
{
    return exec(db, QStringLiteral("DELETE FROM \"%1\"").arg(QString::fromUtf8(table)), {}, error);
}

// One `system` row: the named fields take their initial values and the
// others stay as they are. A missing row is written.
bool resetSystemRow(QSqlDatabase db, const QString& name, const QStringList& fields, const QVariantList& values,
                    QString* error)
{
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT count(*) FROM system WHERE name = ?"));
    count.addBindValue(name);
    if (!count.exec() || !count.next()) {
        *error = count.lastError().text();
        return false;
    }
    const bool exists = count.value(0).toInt() > 0;
    count.finish();
    QVariantList bound = values;
    bound << name;
    if (exists) {
        QStringList sets;
        for (const QString& f : fields)
            sets << f + QStringLiteral(" = ?");
        return exec(db, QStringLiteral("UPDATE system SET %1 WHERE name = ?").arg(sets.join(QStringLiteral(", "))),
                    bound, error);
    }
    QStringList marks(fields.size() + 1, QStringLiteral("?"));
    return exec(db,
                QStringLiteral("INSERT INTO system (%1, name) VALUES (%2)")
                    .arg(fields.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                bound, error);
}

bool resetSystemRows(QSqlDatabase db, const QString& titlePrefix, QString* error)
{
    const QString zhi = QStringLiteral("zhi"), detail = QStringLiteral("detail"), dw = QStringLiteral("dw");
    return resetSystemRow(db, QStringLiteral("串口号"), {zhi, detail}, {1, titlePrefix}, error) &&
           resetSystemRow(db, QStringLiteral("通讯设置"), {zhi, detail}, {0, QStringLiteral("9600,n,8,1")}, error) &&
           resetSystemRow(db, QStringLiteral("输入缓冲区"), {zhi, dw}, {2048, QStringLiteral("字节")}, error) &&
           resetSystemRow(db, QStringLiteral("输出缓冲区"), {zhi, dw}, {512, QStringLiteral("字符")}, error) &&
           resetSystemRow(db, QStringLiteral("发卡机"), {zhi}, {1}, error);
}

}  // namespace

namespace Initialisation {

Outcome run(QSqlDatabase db, const QString& titlePrefix, const std::function<void(int)>& progress)
{
    Outcome out;
    const QString prefix = titlePrefix.isNull() ? QStringLiteral("") : titlePrefix;
    // Each step with the number the operator sees before it runs.
    const std::function<bool(QString*)> steps[kSteps] = {
        [&](QString* e) {
            return empty(db, "user", e) && Schema::insertBuiltInOperator(db, e);
        },
        [&](QString* e) { return empty(db, "department", e) && empty(db, "doors", e); },
        [&](QString* e) { return empty(db, "key", e); },
        [&](QString* e) { return resetSystemRows(db, prefix, e); },
        [&](QString* e) { return empty(db, "datakq", e); },
        [&](QString* e) { return empty(db, "data", e); },
        [&](QString* e) { return empty(db, "faka", e); },
        [&](QString* e) { return empty(db, "people", e); },
        [&](QString*) { return true; },   // `key` was emptied at step 3
        [&](QString* e) { return empty(db, "dfaka", e); },
        [&](QString* e) { return empty(db, "dpeople", e); },
        [&](QString*) { return true; },
    };
    Transaction t(db);
    if (!t.begun()) {
        out.error = db.lastError().text();
        return out;
    }
    for (int i = 0; i < kSteps; ++i) {
        if (progress)
            progress(i + 1);
        if (!steps[i](&out.error)) {
            if (out.error.isEmpty())
                out.error = db.lastError().text();
            return out;
        }
    }
    if (!t.commit()) {
        out.error = t.commitError().text();
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace Initialisation
