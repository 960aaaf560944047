#pragma once
#include "reports/ReportDocument.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// How a print went. message() is the text the operator is shown.
struct ReportOutcome {
    enum class Status { Done, TemplateMissing, TemplateBroken, DataFailed, OutputFailed };
    Status status = Status::Done;
    QString detail;
    int rows = 0;   // rows staged, or rows printed
    bool ok() const { return status == Status::Done; }
    QString message() const;
};

// The print path of every report: empty the report's staging table, fill
// it with the rows to print (in one transaction, so a failed fill leaves
// the last print's rows), then lay the staged rows out with the report's
// template and show them. The service that owns the rows stages them; the
// window previews them (ReportPrint) and tells the operator
// outcome.message() when it is not ok. Nothing here shows a window.
//
//   ReportOutcome o = Personnel::stageReport(db, filter);   // stage(select, values)
//   if (o.ok())
//       o = ReportPrint::preview(this, Personnel::report(db));
//   if (!o.ok())
//       Prompt::exclaim(this, o.message());
//
// The staged rows are printed in the order they were staged. Columns are
// matched to the staging table by name, without regard to case; a column
// the staging table lacks is left out.
class ReportStaging {
public:
    ReportStaging(QSqlDatabase db, QString stagingTable, QString templateName);

    // Stages the rows of a SELECT with bound values.
    ReportOutcome stage(const QString& select, const QVariantList& values = {});
    // Stages rows the window built itself (codes turned into words, say).
    ReportOutcome stageRows(const QStringList& columns, const QList<QVariantList>& rows);

    // The template and the staged rows, ready to print.
    std::optional<ReportDocument> document(ReportOutcome* outcome = nullptr) const;

    // Writes the staged rows as a PDF file.
    ReportOutcome renderPdf(const QString& file) const;

    const QString& stagingTable() const { return table_; }
    const QString& templateName() const { return template_; }

private:
    QSqlDatabase db_;
    QString table_;
    QString template_;
};
