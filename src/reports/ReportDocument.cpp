#include "reports/ReportDocument.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QTextLayout>
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

// A text laid out in lines no wider than `width`: at word boundaries where
// there are any, else anywhere, so a long number or a Chinese name breaks
// inside instead of being cut short.
struct Wrapped {
    QTextLayout layout;
    double height = 0;

    Wrapped(const QString& text, const QFont& font, QPaintDevice* device, double width)
        : layout(text, font, device)
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
    }
};

}  // namespace

struct ReportDocument::Metrics {
    QFont bandFont, titleFont, captionFont, rowFont;
    double width = 0, height = 0;
    double bandHeight = 0, titleHeight = 0, rowHeight = 0, pad = 0;
    double titleTop = 0, captionTop = 0, firstRowTop = 0, footerTop = 0;
    double captionHeight = 0;
    QList<double> rowHeights;   // each row as tall as its tallest wrapped cell
    QList<int> pageStarts;      // the first row of each page
    int pages = 1;
    QList<double> columnLeft;   // one more than columns: the right edge last

    double cellWidth(int col) const { return columnLeft.at(col + 1) - columnLeft.at(col) - 2 * pad; }
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

    double total = 0;
    for (const ReportColumn& c : report_.columns)
        total += c.width;
    double x = 0;
    m.columnLeft << x;
    for (const ReportColumn& c : report_.columns) {
        x += m.width * c.width / total;
        m.columnLeft << x;
    }

    // A row holds one line with room above and below; a value that does
    // not fit its column wraps and the row grows by whole lines.
    const double lineHeight = row.height();
    const double rowRoom = m.rowHeight - lineHeight;
    const int columns = int(report_.columns.size());
    auto heightOf = [&](const QStringList& texts, const QFont& font) {
        double tallest = lineHeight;
        for (int c = 0; c < columns; ++c) {
            const QString t = texts.value(c);
            if (!t.isEmpty() && m.cellWidth(c) > 0)
                tallest = std::max(tallest, Wrapped(t, font, device, m.cellWidth(c)).height);
        }
        return std::ceil(std::max(m.rowHeight, tallest + rowRoom));
    };
    QStringList captions;
    for (const ReportColumn& c : report_.columns)
        captions << c.caption;
    m.captionHeight = heightOf(captions, m.captionFont);

    double y = 0;
    if (hasText(report_.header))
        y += m.bandHeight * 1.6;
    m.titleTop = y;
    if (!report_.title.isEmpty())
        y += m.titleHeight * 1.5;
    m.captionTop = y;
    m.firstRowTop = y + m.captionHeight;
    m.footerTop = m.height - (hasText(report_.footer) ? m.bandHeight : 0);
    const double tableBottom = m.footerTop - m.bandHeight * 0.8;

    m.pageStarts << 0;
    double used = 0;
    for (int r = 0; r < rows_.size(); ++r) {
        const double h = heightOf(rows_.at(r), m.rowFont);
        m.rowHeights << h;
        // A row never splits; one taller than a whole page still gets a
        // page of its own.
        if (used > 0 && m.firstRowTop + used + h > tableBottom) {
            m.pageStarts << r;
            used = 0;
        }
        used += h;
    }
    m.pages = int(m.pageStarts.size());
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
    auto cell = [&](const QFont& font, int col, double top, const QString& text, Qt::Alignment align) {
        const double left = m.columnLeft.at(col) + m.pad;
        const double width = m.cellWidth(col);
        if (width <= 0 || text.isEmpty())
            return;
        Wrapped w(text, font, device, width);
        // The first line sits where the text of a one-line row would.
        const double lineTop = top + (m.rowHeight - QFontMetricsF(font, device).height()) / 2;
        for (int i = 0; i < w.layout.lineCount(); ++i) {
            QTextLine line = w.layout.lineAt(i);
            double dx = 0;
            if (align & Qt::AlignHCenter)
                dx = (width - line.naturalTextWidth()) / 2;
            else if (align & Qt::AlignRight)
                dx = width - line.naturalTextWidth();
            line.draw(&p, QPointF(left + std::max(0.0, dx), lineTop));
        }
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

        const int first = m.pageStarts.at(page);
        const int last = page + 1 < m.pages ? m.pageStarts.at(page + 1) : count;
        QList<double> rowTops;
        double tableBottom = m.firstRowTop;
        for (int r = first; r < last; ++r) {
            rowTops << tableBottom;
            tableBottom += m.rowHeights.at(r);
        }

        for (int c = 0; c < columns; ++c)
            cell(m.captionFont, c, m.captionTop, report_.columns.at(c).caption, Qt::AlignHCenter);

        for (int r = first; r < last; ++r) {
            const QStringList& values = rows_.at(r);
            for (int c = 0; c < columns; ++c)
                cell(m.rowFont, c, rowTops.at(r - first), values.value(c), report_.columns.at(c).alignment);
        }

        // Rules: a frame round the table, a heavier one under the captions,
        // hairlines between rows and columns.
        p.setPen(hairline);
        for (int i = 1; i < rowTops.size(); ++i)
            p.drawLine(QPointF(0, rowTops.at(i)), QPointF(m.width, rowTops.at(i)));
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
