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
    double lineHeight = 0, rowRoom = 0;
    // What one page prints of one row: all of it, or for a row taller than
    // a page, the lines that fit, the rest following on the next page.
    struct Piece {
        int row = 0;
        int firstLine = 0;
        int lines = 0;
        double height = 0;
    };
    QList<QList<Piece>> pages;  // never empty: an empty report has one page
    QList<double> columnLeft;   // one more than columns: the right edge last

    double cellWidth(int col) const { return columnLeft.at(col + 1) - columnLeft.at(col) - 2 * pad; }
    double heightOf(int lines) const { return std::ceil(std::max(rowHeight, lines * lineHeight + rowRoom)); }
};

ReportDocument::ReportDocument(ReportTemplate report, QList<QStringList> rows, QDateTime printedAt)
    : report_(std::move(report)), rows_(std::move(rows)), printedAt_(std::move(printedAt))
{
    for (int c = 0; c < report_.columns.size(); ++c) {
        const int decimals = report_.columns.at(c).decimals;
        if (decimals < 0)
            continue;
        for (QStringList& row : rows_) {
            if (c >= row.size())
                continue;
            bool number = false;
            const double v = row.at(c).toDouble(&number);
            if (number)
                row[c] = QString::number(v, 'f', decimals);
        }
    }
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
    m.lineHeight = row.height();
    m.rowRoom = m.rowHeight - m.lineHeight;
    const int columns = int(report_.columns.size());
    auto linesOf = [&](const QStringList& texts, const QFont& font) {
        int most = 1;
        for (int c = 0; c < columns; ++c) {
            const QString t = texts.value(c);
            if (!t.isEmpty() && m.cellWidth(c) > 0)
                most = std::max(most, Wrapped(t, font, device, m.cellWidth(c)).layout.lineCount());
        }
        return most;
    };
    QStringList captions;
    for (const ReportColumn& c : report_.columns)
        captions << c.caption;
    m.captionHeight = m.heightOf(linesOf(captions, m.captionFont));

    double y = 0;
    if (hasText(report_.header))
        y += m.bandHeight * 1.6;
    m.titleTop = y;
    if (!report_.title.isEmpty())
        y += m.titleHeight * 1.5;
    m.captionTop = y;
    m.firstRowTop = y + m.captionHeight;
    m.footerTop = m.height - (hasText(report_.footer) ? m.bandHeight : 0);
    const double room = m.footerTop - m.bandHeight * 0.8 - m.firstRowTop;
    // At least one line goes on every page, however small the page.
    const int linesPerPage = std::max(1, int((room - m.rowRoom) / m.lineHeight));

    m.pages.append(QList<Metrics::Piece>());
    double used = 0;
    for (int r = 0; r < rows_.size(); ++r) {
        const int lines = linesOf(rows_.at(r), m.rowFont);
        const double h = m.heightOf(lines);
        // A row that fits a page is never split: it moves to the next page.
        if (h <= room || lines <= linesPerPage) {
            if (used > 0 && used + h > room) {
                m.pages.append(QList<Metrics::Piece>());
                used = 0;
            }
            m.pages.last() << Metrics::Piece{r, 0, lines, h};
            used += h;
            continue;
        }
        // A taller one fills what is left of this page and continues on
        // the next ones, under the captions repeated there.
        int done = 0;
        while (done < lines) {
            int fit = int((room - used - m.rowRoom) / m.lineHeight);
            if (fit < 1) {
                m.pages.append(QList<Metrics::Piece>());
                used = 0;
                fit = linesPerPage;
            }
            const int take = std::min(fit, lines - done);
            const double ph = m.heightOf(take);
            m.pages.last() << Metrics::Piece{r, done, take, ph};
            used += ph;
            done += take;
        }
    }
    return m;
}

int ReportDocument::pageCount(QPagedPaintDevice* device) const
{
    return int(measure(device).pages.size());
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
                p.drawText(r, where[i] | Qt::AlignVCenter, expand(texts.at(i), report_, page, int(m.pages.size()), count, printedAt_));
        }
    };
    auto cell = [&](const QFont& font, int col, double top, const QString& text, Qt::Alignment align,
                    int firstLine = 0, int lines = -1) {
        const double left = m.columnLeft.at(col) + m.pad;
        const double width = m.cellWidth(col);
        if (width <= 0 || text.isEmpty())
            return;
        Wrapped w(text, font, device, width);
        // The first line sits where the text of a one-line row would.
        const double lineTop = top + (m.rowHeight - QFontMetricsF(font, device).height()) / 2;
        const int end = lines < 0 ? w.layout.lineCount() : std::min(w.layout.lineCount(), firstLine + lines);
        const double shift = firstLine < w.layout.lineCount() ? w.layout.lineAt(firstLine).y() : 0;
        for (int i = firstLine; i < end; ++i) {
            QTextLine line = w.layout.lineAt(i);
            double dx = 0;
            if (align & Qt::AlignHCenter)
                dx = (width - line.naturalTextWidth()) / 2;
            else if (align & Qt::AlignRight)
                dx = width - line.naturalTextWidth();
            line.draw(&p, QPointF(left + std::max(0.0, dx), lineTop - shift));
        }
    };

    // The card names a row; without one, its first column does.
    int keyColumn = 0;
    for (int c = 0; c < columns; ++c)
        if (report_.columns.at(c).field == QLatin1String("卡号")) {
            keyColumn = c;
            break;
        }
    const int pages = int(m.pages.size());
    for (int page = 0; page < pages; ++page) {
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

        const QList<Metrics::Piece>& pieces = m.pages.at(page);
        QList<double> rowTops;
        double tableBottom = m.firstRowTop;
        for (const Metrics::Piece& piece : pieces) {
            rowTops << tableBottom;
            tableBottom += piece.height;
        }

        for (int c = 0; c < columns; ++c)
            cell(m.captionFont, c, m.captionTop, report_.columns.at(c).caption, Qt::AlignHCenter);

        for (int i = 0; i < pieces.size(); ++i) {
            const Metrics::Piece& piece = pieces.at(i);
            const QStringList& values = rows_.at(piece.row);
            for (int c = 0; c < columns; ++c) {
                // A row that goes on from an earlier page names its card
                // again, so that each page can be read alone.
                const bool repeat = c == keyColumn && piece.firstLine > 0 && m.cellWidth(c) > 0 &&
                                    Wrapped(values.value(c), m.rowFont, device, m.cellWidth(c)).layout.lineCount() <= piece.firstLine;
                cell(m.rowFont, c, rowTops.at(i), values.value(c), report_.columns.at(c).alignment,
                     repeat ? 0 : piece.firstLine, piece.lines);
            }
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
