#include "doors/StatusIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

QIcon standard(QStyle::StandardPixmap p)
{
    return QApplication::style()->standardIcon(p);
}

// A round mark in one colour with one character, 16 x 16.
QIcon mark(const QColor& colour, const QString& glyph)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(140));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

}  // namespace

namespace StatusIcons {

QIcon line(int n)
{
    switch (n) {
    case 1: return standard(QStyle::SP_ComputerIcon);
    case 2: return standard(QStyle::SP_FileDialogDetailedView);
    case 3: return mark(QColor(0x2e, 0x7d, 0x32), QStringLiteral("1"));
    case 4: return mark(QColor(0x15, 0x65, 0xc0), QStringLiteral("2"));
    case 5: return standard(QStyle::SP_FileDialogContentsView);
    case 6: return standard(QStyle::SP_BrowserReload);
    case 7: return standard(QStyle::SP_FileDialogListView);
    case 8: return standard(QStyle::SP_MessageBoxInformation);
    }
    return {};
}

QIcon node(const QString& key)
{
    if (key == QLatin1String("opened"))
        return standard(QStyle::SP_DirOpenIcon);
    if (key == QLatin1String("closed"))
        return standard(QStyle::SP_DirClosedIcon);
    if (key == QLatin1String("info"))
        return mark(QColor(0xf9, 0xa8, 0x25), QStringLiteral("…"));
    if (key == QLatin1String("ok"))
        return mark(QColor(0x2e, 0x7d, 0x32), QStringLiteral("✓"));
    if (key == QLatin1String("info1"))
        return mark(QColor(0x90, 0x90, 0x90), QStringLiteral("i"));
    if (key == QLatin1String("failed"))
        return mark(QColor(0xc6, 0x28, 0x28), QStringLiteral("×"));
    return {};
}

}  // namespace StatusIcons
