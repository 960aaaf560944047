#pragma once
// What a report test looks at: the documents the print preview would have
// shown, a staged table's column, and the text of a rendered PDF.

#include "reports/ReportDocument.h"
#include "reports/ReportViewer.h"
#include "support/TestHome.h"

#include <QList>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

// Keeps every document instead of opening the print preview, while it lives.
class KeepingViewer : public ReportViewer {
public:
    KeepingViewer() { ReportViewer::install(this); }
    ~KeepingViewer() override { ReportViewer::install(nullptr); }
    void show(QWidget*, const ReportDocument& document) override { shown << document; }
    QList<ReportDocument> shown;
};

// The first column of every row of a query, as text; "<failed>" when the
// statement does not run.
inline QStringList column(const TestHome& home, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(home.db());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return {QStringLiteral("<failed>")};
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// The text of a PDF, pages parted by form feeds, with the page's layout
// kept; a null string when pdftotext is not installed.
inline QString pdfText(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}
