#include "reports/ReportDocument.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

const QMarginsF kMarginsMm(12, 10, 12, 10);

QString expand(QString text, const ReportTemplate& t, int page, int pages, int count, const QDateTime& at)
{
    if (!text.contains(QLatin1Char('{')))
        return text;
    text.replace(QLatin1String("{title}"), t.title);
    text.replace(QLatin1String("{page}"), QString::number(page));
    text.replace(QLatin1String("{pages}"), QString::number(pages));
    text.replace(QLatin1String("{count}"), QString::number(count));
    text.replace(QLatin1String("{date}"), at.date().toString(QStringLiteral("yyyy-MM-dd")));
    text.replace(QLatin1String("{time}"), at.time().toString(QStringLiteral("HH:mm:ss")));
    return text;
}

bool hasText(const QStringList& band)
{
    return std::any_of(band.begin(), band.end(), [](const QString& s) { return !s.isEmpty(); });
}

}  // namespace

struct ReportDocument::Metrics {
    QFont bandFont, titleFont, captionFont, rowFont;
    double width = 0, height = 0;
    double bandHeight = 0, titleHeight = 0, rowHeight = 0, pad = 0;
    double titleTop = 0, captionTop = 0, firstRowTop = 0, footerTop = 0;
    int rowsPerPage = 1;
    int pages = 1;
    QList<double> columnLeft;   // one more than columns: the right edge last
};

ReportDocument::ReportDocument(ReportTemplate report, QList<QStringList> rows, QDateTime printedAt)
    : report_(std::move(report)), rows_(std::move(rows)), printedAt_(std::move(printedAt))
{
}

void ReportDocument::setUpPage(QPagedPaintDevice* device) const
{
    device->setPageSize(QPageSize(QPageSize::A4));
    device->setPageOrientation(report_.orientation);
    device->setPageMargins(kMarginsMm, QPageLayout::Millimeter);
}

ReportDocument::Metrics ReportDocument::measure(QPagedPaintDevice* device) const
{
    Metrics m;
    m.width = device->width();
    m.height = device->height();

    m.rowFont = QFont();
    m.rowFont.setPointSizeF(report_.fontSize);
    m.captionFont = m.rowFont;
    m.captionFont.setBold(true);
    m.bandFont = m.rowFont;
    m.bandFont.setPointSizeF(std::max(4.0, report_.fontSize * 0.9));
    m.titleFont = m.rowFont;
    m.titleFont.setPointSizeF(report_.fontSize * 1.7);
    m.titleFont.setBold(true);

    const QFontMetricsF band(m.bandFont, device);
    const QFontMetricsF title(m.titleFont, device);
    const QFontMetricsF row(m.rowFont, device);
    m.bandHeight = band.height();
    m.titleHeight = title.height();
    m.rowHeight = std::ceil(row.height() * 1.55);
    m.pad = row.averageCharWidth() * 0.6;

    double y = 0;
    if (hasText(report_.header))
        y += m.bandHeight * 1.6;
    m.titleTop = y;
    if (!report_.title.isEmpty())
        y += m.titleHeight * 1.5;
    m.captionTop = y;
    m.firstRowTop = y + m.rowHeight;
    m.footerTop = m.height - (hasText(report_.footer) ? m.bandHeight : 0);
    const double tableBottom = m.footerTop - m.bandHeight * 0.8;
    m.rowsPerPage = std::max(1, int((tableBottom - m.firstRowTop) / m.rowHeight));
    const int n = int(rows_.size());
    m.pages = std::max(1, (n + m.rowsPerPage - 1) / m.rowsPerPage);

    double total = 0;
    for (const ReportColumn& c : report_.columns)
        total += c.width;
    double x = 0;
    m.columnLeft << x;
    for (const ReportColumn& c : report_.columns) {
        x += m.width * c.width / total;
        m.columnLeft << x;
    }
    return m;
}

int ReportDocument::pageCount(QPagedPaintDevice* device) const
{
    return measure(device).pages;
}

bool ReportDocument::paint(QPagedPaintDevice* device, QString* error) const
{
    const Metrics m = measure(device);
    QPainter p;
    if (!p.begin(device)) {
        if (error)
            *error = QStringLiteral("无法开始输出报表");
        return false;
    }
    const int count = int(rows_.size());
    const int columns = int(report_.columns.size());
    const QFontMetricsF rowMetrics(m.rowFont, device);
    const QFontMetricsF captionMetrics(m.captionFont, device);
    QPen rule(Qt::black);
    rule.setWidthF(std::max(1.0, device->logicalDpiY() / 150.0));
    QPen hairline(QColor(160, 160, 160));
    hairline.setWidthF(std::max(1.0, device->logicalDpiY() / 300.0));

    auto band = [&](const QStringList& texts, double top, int page) {
        p.setFont(m.bandFont);
        const QRectF r(0, top, m.width, m.bandHeight);
        const Qt::Alignment where[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        for (int i = 0; i < 3 && i < texts.size(); ++i) {
            if (!texts.at(i).isEmpty())
                p.drawText(r, where[i] | Qt::AlignVCenter, expand(texts.at(i), report_, page, m.pages, count, printedAt_));
        }
    };
    auto cell = [&](const QFontMetricsF& fm, int col, double top, const QString& text, Qt::Alignment align) {
        const double left = m.columnLeft.at(col) + m.pad;
        const double width = m.columnLeft.at(col + 1) - m.columnLeft.at(col) - 2 * m.pad;
        if (width <= 0 || text.isEmpty())
            return;
        const QString shown = fm.horizontalAdvance(text) > width ? fm.elidedText(text, Qt::ElideRight, width) : text;
        p.drawText(QRectF(left, top, width, m.rowHeight), align | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    };

    for (int page = 0; page < m.pages; ++page) {
        if (page > 0 && !device->newPage()) {
            if (error)
                *error = QStringLiteral("无法开始新的一页");
            p.end();
            return false;
        }
        if (hasText(report_.header))
            band(report_.header, 0, page + 1);
        if (!report_.title.isEmpty()) {
            p.setFont(m.titleFont);
            p.drawText(QRectF(0, m.titleTop, m.width, m.titleHeight), Qt::AlignCenter, report_.title);
        }

        const int first = page * m.rowsPerPage;
        const int last = std::min(count, first + m.rowsPerPage);
        const double tableBottom = m.firstRowTop + (last - first) * m.rowHeight;

        p.setFont(m.captionFont);
        for (int c = 0; c < columns; ++c)
            cell(captionMetrics, c, m.captionTop, report_.columns.at(c).caption, Qt::AlignHCenter);

        p.setFont(m.rowFont);
        double y = m.firstRowTop;
        for (int r = first; r < last; ++r, y += m.rowHeight) {
            const QStringList& values = rows_.at(r);
            for (int c = 0; c < columns; ++c)
                cell(rowMetrics, c, y, values.value(c), report_.columns.at(c).alignment);
        }

        // Rules: a frame round the table, a heavier one under the captions,
        // hairlines between rows and columns.
        p.setPen(hairline);
        for (double ry = m.firstRowTop + m.rowHeight; ry < tableBottom - 0.5; ry += m.rowHeight)
            p.drawLine(QPointF(0, ry), QPointF(m.width, ry));
        for (int c = 1; c < columns; ++c)
            p.drawLine(QPointF(m.columnLeft.at(c), m.captionTop), QPointF(m.columnLeft.at(c), tableBottom));
        p.setPen(rule);
        p.drawRect(QRectF(0, m.captionTop, m.width, tableBottom - m.captionTop));
        p.drawLine(QPointF(0, m.firstRowTop), QPointF(m.width, m.firstRowTop));
        p.setPen(Qt::black);

        if (hasText(report_.footer))
            band(report_.footer, m.footerTop, page + 1);
    }
    if (!p.end()) {
        if (error)
            *error = QStringLiteral("报表输出未能完成");
        return false;
    }
    return true;
}

bool ReportDocument::renderPdf(const QString& file, QString* error) const
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&out);
        pdf.setResolution(600);
        pdf.setTitle(report_.title);
        pdf.setCreator(QStringLiteral("门禁管理系统"));
        setUpPage(&pdf);
        if (!paint(&pdf, error)) {
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
