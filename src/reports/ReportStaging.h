#pragma once
#include "reports/ReportDocument.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

class QWidget;

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
// it with the rows the window shows (in one transaction, so a failed fill
// leaves the last print's rows), then lay the staged rows out with the
// report's template and show them.
//
//   ReportStaging report(db, "peoplept", "pl.rpt");
//   report.print(this, "SELECT * FROM people WHERE 卡号 BETWEEN ? AND ?", {from, to});
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
    // Shows the staged rows in the print preview (ReportViewer). A failure
    // is told to the operator as well as returned.
    ReportOutcome preview(QWidget* parent) const;

    // stage() or stageRows(), then preview(); a failure of either is told to the operator.
    ReportOutcome print(QWidget* parent, const QString& select, const QVariantList& values = {});
    ReportOutcome printRows(QWidget* parent, const QStringList& columns, const QList<QVariantList>& rows);

    const QString& stagingTable() const { return table_; }
    const QString& templateName() const { return template_; }

private:
    QSqlDatabase db_;
    QString table_;
    QString template_;
};
