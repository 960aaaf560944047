#include "reports/ReportStaging.h"

#include "db/Clock.h"
#include "db/Transaction.h"

#include <QHash>
#include <functional>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QString quoted(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// The staging table's own spelling of each column, looked up without
// regard to case.
QHash<QString, QString> columnsOf(QSqlDatabase db, const QString& table)
{
    QHash<QString, QString> out;
    const QSqlRecord r = db.record(table);
    for (int i = 0; i < r.count(); ++i)
        out.insert(r.fieldName(i).toLower(), r.fieldName(i));
    return out;
}

ReportOutcome failed(ReportOutcome::Status status, const QString& detail)
{
    ReportOutcome o;
    o.status = status;
    o.detail = detail;
    return o;
}

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// Inserts rows into the staging table after emptying it. `next` yields one
// row at a time (in `columns` order) and false when there are no more.
template <typename NextRow>
ReportOutcome fill(QSqlDatabase db, const QString& table, const QStringList& columns, NextRow next,
                   const std::function<QString()>& sourceError)
{
    const QHash<QString, QString> known = columnsOf(db, table);
    if (known.isEmpty())
        return failed(ReportOutcome::Status::DataFailed, QStringLiteral("没有打印用表“%1”").arg(table));
    QList<int> kept;
    QStringList names, marks;
    for (int i = 0; i < columns.size(); ++i) {
        const auto it = known.constFind(columns.at(i).toLower());
        if (it == known.constEnd() || names.contains(quoted(*it)))
            continue;
        kept << i;
        names << quoted(*it);
        marks << QStringLiteral("?");
    }

    Transaction tx(db);
    if (!tx.begun())
        return failed(ReportOutcome::Status::DataFailed, db.lastError().text());
    QSqlQuery clear(db);
    if (!clear.exec(QStringLiteral("DELETE FROM %1").arg(quoted(table))))
        return failed(ReportOutcome::Status::DataFailed, clear.lastError().text());

    int count = 0;
    QSqlQuery insert(db);
    const bool anyColumn = !names.isEmpty();
    if (anyColumn &&
        !insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoted(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
        return failed(ReportOutcome::Status::DataFailed, insert.lastError().text());
    QVariantList row;
    while (next(row)) {
        if (anyColumn) {
            for (int i = 0; i < kept.size(); ++i)
                insert.bindValue(i, row.value(kept.at(i)));
            if (!insert.exec())
                return failed(ReportOutcome::Status::DataFailed, insert.lastError().text());
        } else {
            QSqlQuery empty(db);
            if (!empty.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table))))
                return failed(ReportOutcome::Status::DataFailed, empty.lastError().text());
        }
        ++count;
    }
    const QString error = sourceError();
    if (!error.isEmpty())
        return failed(ReportOutcome::Status::DataFailed, error);
    if (!tx.commit())
        return failed(ReportOutcome::Status::DataFailed, db.lastError().text());
    ReportOutcome o;
    o.rows = count;
    return o;
}

}  // namespace

QString ReportOutcome::message() const
{
    switch (status) {
    case Status::Done: return QString();
    case Status::TemplateMissing:
    case Status::TemplateBroken: return detail + QStringLiteral("，无法打印。");
    case Status::DataFailed: return QStringLiteral("准备打印数据时出错，未打印：%1").arg(detail);
    case Status::OutputFailed: return QStringLiteral("报表输出失败：%1").arg(detail);
    }
    return detail;
}

ReportStaging::ReportStaging(QSqlDatabase db, QString stagingTable, QString templateName)
    : db_(std::move(db)), table_(std::move(stagingTable)), template_(std::move(templateName))
{
}

ReportOutcome ReportStaging::stage(const QString& select, const QVariantList& values)
{
    QSqlQuery source(db_);
    source.setForwardOnly(true);
    if (!source.prepare(select))
        return failed(ReportOutcome::Status::DataFailed, source.lastError().text());
    for (int i = 0; i < values.size(); ++i)
        source.bindValue(i, values.at(i));
    if (!source.exec())
        return failed(ReportOutcome::Status::DataFailed, source.lastError().text());
    const QSqlRecord record = source.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    const int width = record.count();
    auto next = [&](QVariantList& row) {
        if (!source.next())
            return false;
        row.resize(width);
        for (int i = 0; i < width; ++i)
            row[i] = source.value(i);
        return true;
    };
    auto error = [&]() { return source.lastError().isValid() ? source.lastError().text() : QString(); };
    return fill(db_, table_, columns, next, error);
}

ReportOutcome ReportStaging::stageRows(const QStringList& columns, const QList<QVariantList>& rows)
{
    int at = 0;
    auto next = [&](QVariantList& row) {
        if (at >= rows.size())
            return false;
        row = rows.at(at++);
        return true;
    };
    return fill(db_, table_, columns, next, []() { return QString(); });
}

std::optional<ReportDocument> ReportStaging::document(ReportOutcome* outcome) const
{
    ReportOutcome local;
    ReportOutcome& o = outcome ? *outcome : local;
    o = ReportOutcome();
    const TemplateLoad load = ReportTemplates::load(template_);
    if (!load.ok()) {
        o = failed(load.problem == TemplateLoad::Problem::Missing ? ReportOutcome::Status::TemplateMissing
                                                                  : ReportOutcome::Status::TemplateBroken,
                   load.detail);
        return std::nullopt;
    }
    const ReportTemplate& t = *load.report;
    const QHash<QString, QString> known = columnsOf(db_, table_);
    if (known.isEmpty()) {
        o = failed(ReportOutcome::Status::DataFailed, QStringLiteral("没有打印用表“%1”").arg(table_));
        return std::nullopt;
    }
    QStringList fields;
    for (const ReportColumn& c : t.columns) {
        const auto it = known.constFind(c.field.toLower());
        if (it == known.constEnd()) {
            o = failed(ReportOutcome::Status::TemplateBroken,
                       QStringLiteral("报表模板“%1”有误，字段“%2”不在“%3”中").arg(t.source, c.field, table_));
            return std::nullopt;
        }
        fields << quoted(*it);
    }
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields.join(QLatin1Char(',')), quoted(table_)))) {
        o = failed(ReportOutcome::Status::DataFailed, q.lastError().text());
        return std::nullopt;
    }
    QList<QStringList> rows;
    const int n = int(fields.size());
    while (q.next()) {
        QStringList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << text(q.value(i));
        rows << row;
    }
    if (q.lastError().isValid()) {
        o = failed(ReportOutcome::Status::DataFailed, q.lastError().text());
        return std::nullopt;
    }
    o.rows = int(rows.size());
    return ReportDocument(t, std::move(rows), Clock::now());
}

ReportOutcome ReportStaging::renderPdf(const QString& file) const
{
    ReportOutcome o;
    const std::optional<ReportDocument> doc = document(&o);
    if (!doc)
        return o;
    QString error;
    if (!doc->renderPdf(file, &error))
        return failed(ReportOutcome::Status::OutputFailed, error);
    return o;
}
