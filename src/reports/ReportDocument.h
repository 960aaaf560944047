#pragma once
#include "reports/ReportTemplate.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

class QPagedPaintDevice;

// A template together with the rows it prints, laid out page by page with
// QPainter: every page carries the page header, the title, the column
// captions and the page footer, and as many rows as fit. A text wider than
// its column wraps within its row, which grows to hold it: nothing printed
// is shortened. A row that fits a page is never split; one taller than a
// page continues on the next, under the column captions repeated there
// and with its card (without a card column, its first column) again.
class ReportDocument {
public:
    ReportDocument() = default;
    ReportDocument(ReportTemplate report, QList<QStringList> rows, QDateTime printedAt);

    const ReportTemplate& report() const { return report_; }
    const QList<QStringList>& rows() const { return rows_; }

    // Sets A4, the template's orientation and the margins on `device`.
    void setUpPage(QPagedPaintDevice* device) const;

    // Paints every page onto `device` (a printer, the print preview or a
    // PDF writer), whose page is already set up. False with a reason when
    // painting cannot start.
    bool paint(QPagedPaintDevice* device, QString* error = nullptr) const;

    // Writes the report as a PDF file. The file appears complete or not
    // at all.
    bool renderPdf(const QString& file, QString* error = nullptr) const;

    // How many pages the report takes on `device`.
    int pageCount(QPagedPaintDevice* device) const;

private:
    struct Metrics;
    Metrics measure(QPagedPaintDevice* device) const;

    ReportTemplate report_;
    QList<QStringList> rows_;
    QDateTime printedAt_;
};
